// The File tab: the field form and profiles, the submission data files and their lists.
#include "add_files_dialog.h"
#include "broadcast_panel.h"
#include "core/known_files.h"
#include "core/profiles.h"
#include "core/settings_keys.h"
#include "core/submission_file.h"
#include "event_guard.h"
#include "file_dialogs.h"
#include "log_notes_tab.h"
#include "main_window.h"
#include "main_window_combos.h"
#include "message_box.h"
#include "text_codec.h"
#include "widgets.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace siteherald::ui {

QWidget* MainWindow::BuildFileTab() {
    auto* tab = new QWidget;
    tab->setObjectName(QStringLiteral("TabSheet2"));
    auto* newButton =
        NamedButton(QStringLiteral("BitBtn6"), QStringLiteral("New"), QStringLiteral("New"), tab);
    auto* openButton =
        NamedButton(QStringLiteral("BitBtn7"), QStringLiteral("Open"), QStringLiteral("Open"), tab);
    auto* saveButton =
        NamedButton(QStringLiteral("BitBtn8"), QStringLiteral("Save"), QStringLiteral("Save"), tab);
    auto* attachButton = NamedButton(QStringLiteral("BitBtn10"), QStringLiteral("Attach Message"),
                                     QStringLiteral("Attach Message"), tab);
    connect(attachButton, &QPushButton::clicked, this, &MainWindow::CleanForm4);
    profileChoice_ = Combo(QStringLiteral("ComboBox4"), tab);
    profileChoice_->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* profilesButton = NamedButton(QStringLiteral("BitBtn9"), QStringLiteral("Profiles..."),
                                       QStringLiteral("Customize Profiles"), tab);
    connect(newButton, &QPushButton::clicked, this, &MainWindow::onNewClicked);
    connect(openButton, &QPushButton::clicked, this, &MainWindow::onOpenClicked);
    connect(saveButton, &QPushButton::clicked, this, &MainWindow::onSaveClicked);
    connect(profileChoice_, &QComboBox::activated, this, &MainWindow::ComboBox4Change);

    profileMenu_ = new QMenu(this);
    profileMenu_->setObjectName(QStringLiteral("PopupMenu3"));
    profileMenu_->addAction(QStringLiteral("&Add Profile"), this, &MainWindow::onAddProfileClicked);
    profileMenu_->addAction(QStringLiteral("&Delete Profile"), this,
                            &MainWindow::onDeleteProfileClicked);
    profileMenu_->addAction(QStringLiteral("&Edit Profile"), this,
                            &MainWindow::onEditProfileClicked);
    connect(profilesButton, &QPushButton::clicked, this, [this, profilesButton] {
        profileMenu_->popup(profilesButton->mapToGlobal(QPoint(0, profilesButton->height())));
    });
    connect(profileChoice_, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& at) { profileMenu_->popup(profileChoice_->mapToGlobal(at)); });

    auto* toolbar = new QHBoxLayout;
    for (QWidget* w :
         std::initializer_list<QWidget*>{newButton, openButton, saveButton, attachButton})
        toolbar->addWidget(w);
    toolbar->addSpacing(12);
    toolbar->addWidget(new QLabel(QStringLiteral("Profile:"), tab));
    toolbar->addWidget(profileChoice_, 1);
    toolbar->addWidget(profilesButton);

    fieldForm_ = new FieldForm(true, tab);
    fieldForm_->setObjectName(QStringLiteral("ScrollBox1"));
    connect(fieldForm_, &FieldForm::changed, this, [this] { document_.MarkChanged(); });

    auto* messages = new QGroupBox(QStringLiteral("Attached Messages:"), tab);
    messageChoice_ = Combo(QStringLiteral("ComboBox5"), messages);
    auto* addMessageButton = NamedButton(QStringLiteral("Button16"), QStringLiteral("Add"),
                                         QStringLiteral("Add a message"), messages);
    editMessageButton_ = NamedButton(QStringLiteral("Button14"), QStringLiteral("Edit"),
                                     QStringLiteral("Edit selected message"), messages);
    removeMessageButton_ = NamedButton(QStringLiteral("Button13"), QStringLiteral("Remove"),
                                       QStringLiteral("Remove selected message"), messages);
    for (QPushButton* b : {editMessageButton_, removeMessageButton_})
        b->setEnabled(false);
    connect(addMessageButton, &QPushButton::clicked, this, &MainWindow::CleanForm4);
    connect(editMessageButton_, &QPushButton::clicked, this,
            [this] { ShowEditAttachment(messageChoice_); });
    connect(removeMessageButton_, &QPushButton::clicked, this,
            [this] { RemoveAttachment(messageChoice_); });
    connect(messageChoice_, &QComboBox::activated, this, &MainWindow::UpdateMessageButtons);
    auto* messageRow = new QHBoxLayout(messages);
    messageRow->addWidget(messageChoice_, 1);
    messageRow->addWidget(addMessageButton);
    messageRow->addWidget(editMessageButton_);
    messageRow->addWidget(removeMessageButton_);

    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(toolbar);
    layout->addWidget(fieldForm_, 1);
    layout->addWidget(messages);
    return tab;
}

// ---- profiles ----

void MainWindow::DisplayDefaultList() {
    LineList layout;
    LoadLineFile(kLayoutFile, layout);
    SetItems(profileChoice_, siteherald::DisplayDefaultList(layout));
}

// ---- the form the document is edited in ----

std::vector<FieldValue> MainWindow::FieldValues() const {
    return fieldForm_->Values();
}

void MainWindow::SetFieldValues(const std::vector<FieldValue>& values) {
    fieldForm_->SetValues(values);
}

bool MainWindow::SetEntryLines(const std::string& name, const LineList& lines, bool single) {
    return fieldForm_->SetEntryLines(name, lines, single);
}

void MainWindow::ClearFields() {
    fieldForm_->Clear();
}

void MainWindow::AddField(const FieldDefinition& field) {
    fieldForm_->AddField(field);
}

std::string MainWindow::ChosenProfile() const {
    return profileChoice_->currentIndex() >= 0 ? ToBytes(profileChoice_->currentText())
                                               : std::string();
}

int MainWindow::ChosenProfileIndex() const {
    return profileChoice_->currentIndex();
}

int MainWindow::SelectProfile(const std::string& name) {
    const int index = IndexOfExact(profileChoice_, FromBytes(name));
    if (index >= 0)
        SelectQuietly(profileChoice_, index);
    return index;
}

std::string MainWindow::ChooseSavePath() {
    const QString path = FileDialogs::SaveSubmissionFile(this);
    QDir::setCurrent(dataDir_);
    return ToBytes(path);
}

void MainWindow::AttachmentsReplaced() {
    messageChoice_->clear();
    ParseAttachments();
}

void MainWindow::KnownFilesChanged() {
    FormActi();
}

void MainWindow::ComboBox4Change(int) {
    Guard(this, [this] {
        if (document_.CheckSaved())
            document_.ChangeProfile(ChosenProfile());
        else
            SelectQuietly(profileChoice_, document_.loadedProfileIndex());
    });
}

void MainWindow::onDeleteProfileClicked() {
    Guard(this, [this] { DeleteProfile(); });
}

void MainWindow::DeleteProfile() {
    if (profileChoice_->count() < 2) {
        MessageBoxes::Show(this, MessageIcon::Warning,
                           QStringLiteral("You must have at least one profile remaining."),
                           Buttons::Ok);
        return;
    }
    const QString name = profileChoice_->currentText();
    if (MessageBoxes::Show(this, MessageIcon::Confirmation, QStringLiteral("Delete ") + name + "?",
                           Buttons::YesNo) != Answer::Yes)
        return;
    if (!DeleteProfileSection(kLayoutFile, ToBytes(name)))
        MessageBoxes::Show(this, MessageIcon::Information,
                           QStringLiteral("Cannot find selected profile."), Buttons::Ok);
    profileChoice_->removeItem(IndexOfExact(profileChoice_, name));
    SelectQuietly(profileChoice_, 0);
    document_.SetLoadedProfileIndex(
        std::min(document_.loadedProfileIndex(), profileChoice_->count() - 1));
    ComboBox4Change(0);
}

void MainWindow::onProfileCheckTimeout() {
    Guard(this, [this] {
        if (!document_.profileChanged())
            return;
        if (MessageBoxes::Show(this, MessageIcon::Information,
                               QStringLiteral("The current profile has changed. Reload profile?"),
                               Buttons::YesNo) == Answer::Yes &&
            document_.CheckSaved())
            document_.ChangeProfile(ChosenProfile());
    });
}

// ---- submission data files ----

void MainWindow::onNewClicked() {
    Guard(this, [this] {
        document_.NewFile();
        pages_->setCurrentWidget(filePage_);
    });
}

void MainWindow::onOpenClicked() {
    Guard(this, [this] {
        const QString path = FileDialogs::OpenSubmissionFile(this);
        QDir::setCurrent(dataDir_);
        if (!path.isEmpty())
            document_.OpenFile(ToBytes(path));
    });
}

void MainWindow::onSaveClicked() {
    Guard(this, [this] { document_.Save(); });
}

void MainWindow::onSaveAsClicked() {
    Guard(this, [this] { document_.SaveAs(); });
}

void MainWindow::onEditFileClicked() {
    Guard(this, [this] {
        if (fileChoice_->currentIndex() < 0)
            return;
        // The file shown: the known-file list may hold files the lists do not show yet, when
        // profs.dat was missing at their refresh.
        document_.OpenFile(ToBytes(fileChoice_->currentText()));
        pages_->setCurrentWidget(filePage_);
    });
}

void MainWindow::onAddFilesClicked() {
    addFilesDialog_->exec();
}

void MainWindow::DoSDFCombobox() {
    const std::vector<std::string> paths = KnownFilePaths(document_.knownFiles());
    SetItems(fileChoice_, paths);
    SetItems(notesFileChoice_, paths);
}

void MainWindow::FormActi() {
    const QString remembered = fileChoice_->currentText();
    if (!document_.GetSDFfiles()) {
        DoMissingFile(kProfsFile);
        return;
    }
    DoSDFCombobox();
    if (fileChoice_->count() > 0) {
        if (!remembered.isEmpty()) {
            const int index = IndexOfExact(fileChoice_, remembered);
            SelectQuietly(fileChoice_, index);
            SelectQuietly(notesFileChoice_, index);
            editFileButton_->setEnabled(true);
        } else {
            int index = -1;
            if (!commandLineFile_.empty() && FileExists(commandLineFile_))
                index = IndexOfExact(fileChoice_, FromBytes(commandLineFile_));
            commandLineFile_.clear();
            if (index < 0)
                index = 0;
            SelectQuietly(fileChoice_, index);
            SelectQuietly(notesFileChoice_, index);
        }
    }
    ComboBox1Change(fileChoice_->currentIndex());
    if (firstList_ && fileChoice_->count() == 0)
        pages_->setCurrentWidget(filePage_);
    firstList_ = false;
    document_.ListShown();
}

void MainWindow::ComboBox1Change(int index) {
    Guard(this, [this, index] {
        if (index >= 0) {
            SelectQuietly(fileChoice_, index);
            SelectQuietly(notesFileChoice_, index);
            if (document_.ChooseCurrentFile(ToBytes(fileChoice_->currentText()))) {
                editFileButton_->setEnabled(true);
                broadcast_->AddMessages();
                FillListBox();
                logNotes_->LoadLog();
                logNotes_->LoadSubnotes();
                UpdateLogControls();
                UpdateTickBoxes();
                return;
            }
            const QSignalBlocker quiet1(fileChoice_);
            const QSignalBlocker quiet9(notesFileChoice_);
            fileChoice_->removeItem(index);
            notesFileChoice_->removeItem(index);
            // The removal moved the choice to a neighbour that was never loaded.
            fileChoice_->setCurrentIndex(-1);
            notesFileChoice_->setCurrentIndex(-1);
        }
        // No current file: nothing of the last one stays on show to be submitted, ticked or
        // noted.
        editFileButton_->setEnabled(false);
        document_.ClearCurrentFile();
        broadcast_->AddMessages();
        FillListBox();
        logNotes_->ClearFileLog();
        UpdateLogControls();
        UpdateTickBoxes();
    });
}

void MainWindow::CheckCurrentFile() {
    const QString edited = FromBytes(document_.currentFilePath());
    if (edited.isEmpty())
        return;
    if (edited != fileChoice_->currentText() &&
        MessageBoxes::Show(this, MessageIcon::Confirmation,
                           QStringLiteral("Change current submission file to file being edited?"),
                           Buttons::YesNo) == Answer::Yes) {
        if (!document_.CheckSaved())
            return;
        const int index = IndexOfExact(fileChoice_, edited);
        if (index >= 0)
            SelectQuietly(fileChoice_, index);
    }
    ComboBox1Change(fileChoice_->currentIndex());
}

void MainWindow::onPageChanged(int) {
    Guard(this, [this] {
        if (pages_->currentWidget() == promotePage_)
            CheckCurrentFile();
        else if (pages_->currentWidget() == logNotesPage_)
            logNotes_->RefreshCurrentPage();
    });
}

} // namespace siteherald::ui
