#include "add_files_dialog.h"

#include "core/submission_document.h"
#include "text_codec.h"

#include <QDir>
#include <QFileSystemModel>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

namespace siteherald::ui {

namespace {

// Enter in the folder tree presses "&Add" when it is enabled.
class FolderTree : public QTreeView {
public:
    using QTreeView::QTreeView;
    QPushButton* addButton = nullptr;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && addButton &&
            addButton->isEnabled()) {
            addButton->click();
            return;
        }
        QTreeView::keyPressEvent(event);
    }
};

} // namespace

AddFilesDialog::AddFilesDialog(SubmissionDocument& document, std::function<void()> writeAndRefresh,
                               QWidget* parent)
    : QDialog(parent, Qt::Tool), document_(document), writeAndRefresh_(std::move(writeAndRefresh)),
      model_(new QFileSystemModel(this)) {
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QStringLiteral("Add Submission Files"));

    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    model_->setRootPath(QDir::rootPath());
    auto* tree = new FolderTree(this);
    folderTree_ = tree;
    folderTree_->setObjectName(QStringLiteral("DirectoryListBox1"));
    folderTree_->setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column)
        folderTree_->hideColumn(column);
    folderTree_->header()->hide();

    addedFilesList_ = new QListWidget(this);
    addedFilesList_->setObjectName(QStringLiteral("ListBox1"));
    addedFilesList_->setEnabled(false);

    addButton_ = new QPushButton(QStringLiteral("&Add"), this);
    addButton_->setObjectName(QStringLiteral("Button1"));
    addButton_->setToolTip(QStringLiteral("Add submission files"));
    addButton_->setEnabled(false);
    addButton_->setAutoDefault(false);
    tree->addButton = addButton_;
    closeButton_ = new QPushButton(QStringLiteral("&Close"), this);
    closeButton_->setObjectName(QStringLiteral("Button2"));
    closeButton_->setToolTip(QStringLiteral("Close"));
    closeButton_->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(addButton_);
    buttons->addWidget(closeButton_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Folders:"), this));
    layout->addWidget(folderTree_, 2);
    layout->addWidget(new QLabel(QStringLiteral("Files added:"), this));
    layout->addWidget(addedFilesList_, 1);
    layout->addLayout(buttons);
    resize(420, 420);

    connect(folderTree_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { onFolderChanged(); });
    connect(addButton_, &QPushButton::clicked, this, &AddFilesDialog::onAddClicked);
    connect(closeButton_, &QPushButton::clicked, this, &AddFilesDialog::onCloseClicked);
    SelectFolder(QDir::homePath());
}

void AddFilesDialog::SelectFolder(const QString& path) {
    const QModelIndex index = model_->index(path);
    folderTree_->setCurrentIndex(index);
    folderTree_->scrollTo(index);
    folderTree_->expand(index);
    onFolderChanged();
}

QString AddFilesDialog::selectedFolder() const {
    return model_->filePath(folderTree_->currentIndex());
}

QStringList AddFilesDialog::SubmissionFilesIn(const QString& folder) const {
    if (folder.isEmpty())
        return {};
    QStringList files;
    const QDir dir(folder);
    for (const QString& name :
         dir.entryList({QStringLiteral("*.sdf"), QStringLiteral("*.SDF")}, QDir::Files, QDir::Name))
        files << dir.absoluteFilePath(name);
    files.removeDuplicates();
    return files;
}

void AddFilesDialog::onFolderChanged() {
    addButton_->setEnabled(!SubmissionFilesIn(selectedFolder()).isEmpty());
}

void AddFilesDialog::onAddClicked() {
    for (const QString& path : SubmissionFilesIn(selectedFolder())) {
        if (!addedFilesList_->findItems(path, Qt::MatchExactly).isEmpty())
            continue;
        document_.AddFile(ToBytes(path));
        addedFilesList_->addItem(path);
    }
}

void AddFilesDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        closeButton_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void AddFilesDialog::onCloseClicked() {
    writeAndRefresh_();
    accept();
}

} // namespace siteherald::ui
