#include "add_files_dialog.h"

#include "core/known_files.h"
#include "main_window.h"
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

AddFilesDialog::AddFilesDialog(MainWindow* window)
    : QDialog(window, Qt::Tool), window_(window), model_(new QFileSystemModel(this)) {
    setObjectName(QStringLiteral("TForm6"));
    setWindowTitle(QStringLiteral("Add Submission Files"));

    model_->setFilter(QDir::AllDirs | QDir::NoDotAndDotDot);
    model_->setRootPath(QDir::rootPath());
    auto* tree = new FolderTree(this);
    DirectoryListBox1 = tree;
    DirectoryListBox1->setObjectName(QStringLiteral("DirectoryListBox1"));
    DirectoryListBox1->setModel(model_);
    for (int column = 1; column < model_->columnCount(); ++column)
        DirectoryListBox1->hideColumn(column);
    DirectoryListBox1->header()->hide();

    ListBox1 = new QListWidget(this);
    ListBox1->setObjectName(QStringLiteral("ListBox1"));
    ListBox1->setEnabled(false);

    Button1 = new QPushButton(QStringLiteral("&Add"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setToolTip(QStringLiteral("Add submission files"));
    Button1->setEnabled(false);
    Button1->setAutoDefault(false);
    tree->addButton = Button1;
    Button2 = new QPushButton(QStringLiteral("&Close"), this);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setToolTip(QStringLiteral("Close"));
    Button2->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(new QLabel(QStringLiteral("Folders:"), this));
    layout->addWidget(DirectoryListBox1, 2);
    layout->addWidget(new QLabel(QStringLiteral("Files added:"), this));
    layout->addWidget(ListBox1, 1);
    layout->addLayout(buttons);
    resize(420, 420);

    connect(DirectoryListBox1->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this] { DirectoryListBox1Change(); });
    connect(Button1, &QPushButton::clicked, this, &AddFilesDialog::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &AddFilesDialog::Button2Click);
    SelectFolder(QDir::homePath());
}

void AddFilesDialog::SelectFolder(const QString& path) {
    const QModelIndex index = model_->index(path);
    DirectoryListBox1->setCurrentIndex(index);
    DirectoryListBox1->scrollTo(index);
    DirectoryListBox1->expand(index);
    DirectoryListBox1Change();
}

QString AddFilesDialog::selectedFolder() const {
    return model_->filePath(DirectoryListBox1->currentIndex());
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

void AddFilesDialog::DirectoryListBox1Change() {
    Button1->setEnabled(!SubmissionFilesIn(selectedFolder()).isEmpty());
}

void AddFilesDialog::Button1Click() {
    for (const QString& path : SubmissionFilesIn(selectedFolder())) {
        if (!ListBox1->findItems(path, Qt::MatchExactly).isEmpty())
            continue;
        AddKnownFile(window_->KnownFiles, ToBytes(path));
        ListBox1->addItem(path);
        window_->FilesAdded = true;
    }
}

void AddFilesDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        Button2->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void AddFilesDialog::Button2Click() {
    window_->WriteSDFFiles(true);
    window_->FormActi();
    accept();
}

} // namespace siteherald::ui
