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
    connect(fieldForm_, &FieldForm::changed, this, [this] { SavedFalse(); });

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

bool MainWindow::ChangeProfile(const std::string& profileName) {
    fieldForm_->Clear();
    fieldAutoFills_.clear();
    LineList layout;
    LoadLineFile(kLayoutFile, layout);
    const auto rows = ReadProfileRows(layout, profileName);
    if (!rows)
        return false;
    for (const auto& row : *rows) {
        for (const FieldDefinition& field : row) {
            fieldAutoFills_.push_back(field.autoFill);
            fieldForm_->AddField(field);
        }
    }
    loadedProfileIndex_ = profileChoice_->currentIndex();
    return true;
}

void MainWindow::ComboBox4Change(int) {
    Guard(this, [this] {
        if (CheckSaved())
            ChangeProfile(ToBytes(profileChoice_->currentText()));
        else
            SelectQuietly(profileChoice_, loadedProfileIndex_);
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
    loadedProfileIndex_ = std::min(loadedProfileIndex_, profileChoice_->count() - 1);
    ComboBox4Change(0);
}

void MainWindow::onProfileCheckTimeout() {
    Guard(this, [this] {
        if (!profileChanged_)
            return;
        if (MessageBoxes::Show(this, MessageIcon::Information,
                               QStringLiteral("The current profile has changed. Reload profile?"),
                               Buttons::YesNo) == Answer::Yes &&
            CheckSaved())
            ChangeProfile(ToBytes(profileChoice_->currentText()));
    });
}

// ---- submission data files ----

bool MainWindow::CheckSaved() {
    if (fileSaved_)
        return true;
    switch (MessageBoxes::Show(this, MessageIcon::Confirmation,
                               QStringLiteral("Save changes to current submission data file?"),
                               Buttons::YesNoCancel)) {
    case Answer::Yes:
        onSaveClicked();
        // A save that did not happen (cancelled or failed) must not let the edits go.
        return fileSaved_;
    case Answer::No:
        fileSaved_ = true;
        return true;
    default:
        return false;
    }
}

void MainWindow::NewFile() {
    if (!CheckSaved())
        return;
    ChangeProfile(ToBytes(profileChoice_->currentText()));
    messageChoice_->clear();
    attachmentLines_.clear();
    removeMessageButton_->setEnabled(false);
    editMessageButton_->setEnabled(false);
    currentFilePath_.clear();
    fileSaved_ = true;
    fileHasName_ = false;
}

void MainWindow::onNewClicked() {
    Guard(this, [this] {
        NewFile();
        pages_->setCurrentWidget(filePage_);
    });
}

void MainWindow::onOpenClicked() {
    Guard(this, [this] {
        const QString path = FileDialogs::OpenSubmissionFile(this);
        QDir::setCurrent(dataDir_);
        if (!path.isEmpty())
            OpenFile(ToBytes(path));
    });
}

void MainWindow::OpenFile(const std::string& path) {
    if (!CheckSaved())
        return;
    LineList file;
    if (!LoadLineFile(path, file))
        throw FileError("Unable to read " + path + ": No such file", path);
    std::string profile = SubmissionFileProfile(file);
    if (!ChangeProfile(profile)) {
        messageChoice_->setCurrentIndex(-1);
        MessageBoxes::Show(
            this, MessageIcon::Error,
            QStringLiteral("Could not find submission file's profile. Loading DEFAULT profile."),
            Buttons::Ok);
        profile = Read(settings::Profile);
        ChangeProfile(profile);
    }
    if (profileChoice_->currentText() != FromBytes(profile)) {
        const int index = IndexOfExact(profileChoice_, FromBytes(profile));
        if (index >= 0) {
            SelectQuietly(profileChoice_, index);
            loadedProfileIndex_ = index;
        }
    }
    messageChoice_->clear();
    attachmentLines_.clear();
    removeMessageButton_->setEnabled(false);
    editMessageButton_->setEnabled(false);
    const SubmissionFileContents contents = ReadSubmissionFile(file, fieldForm_->Values());
    fieldForm_->SetValues(contents.fields);
    attachmentLines_ = contents.attachmentLines;
    ParseAttachments();
    fileSaved_ = true;
    fileHasName_ = true;
    currentFilePath_ = path;
    AddToSDFFiles(path);
}

bool MainWindow::SaveFile(const std::string& path) {
    const std::string profile = profileChoice_->currentIndex() >= 0
                                    ? ToBytes(profileChoice_->currentText())
                                    : std::string();
    const LineList file =
        BuildSubmissionFile(profile, fieldForm_->Values(), attachmentLines_, fieldAutoFills_);
    try {
        SaveLineFile(path, file);
    } catch (const FileError& e) {
        MessageBoxes::Show(this, MessageIcon::Error, FromBytes(e.what()), Buttons::Ok);
        return false;
    }
    fileSaved_ = true;
    fileHasName_ = true;
    currentFilePath_ = path;
    return true;
}

void MainWindow::onSaveClicked() {
    Guard(this, [this] {
        if (fileHasName_)
            SaveFile(currentFilePath_);
        else
            onSaveAsClicked();
    });
}

void MainWindow::onSaveAsClicked() {
    Guard(this, [this] {
        const QString path = FileDialogs::SaveSubmissionFile(this);
        QDir::setCurrent(dataDir_);
        if (path.isEmpty())
            return;
        if (SaveFile(ToBytes(path)))
            AddToSDFFiles(ToBytes(path));
    });
}

void MainWindow::onEditFileClicked() {
    Guard(this, [this] {
        if (fileChoice_->currentIndex() < 0)
            return;
        // The file shown: the known-file list may hold files the lists do not show yet, when
        // profs.dat was missing at their refresh.
        OpenFile(ToBytes(fileChoice_->currentText()));
        pages_->setCurrentWidget(filePage_);
    });
}

void MainWindow::onAddFilesClicked() {
    addFilesDialog_->exec();
}

void MainWindow::AddToSDFFiles(const std::string& path) {
    if (!AddKnownFile(knownFiles_, path))
        return;
    WriteSDFFiles();
    FormActi();
}

void MainWindow::WriteSDFFiles(bool fromAddFilesDialog) {
    if (!fromAddFilesDialog && knownFiles_.empty())
        return;
    WriteKnownFiles(kProfsFile, knownFiles_);
    if (!fromAddFilesDialog)
        Write(settings::Profile, ToBytes(profileChoice_->currentText()));
}

bool MainWindow::GetSDFfiles() {
    // Files that "Add Submission Files" added without writing them (it was closed by the title
    // bar) stay in the list until the next write.
    const std::vector<std::string> unwritten =
        filesAdded_ ? knownFiles_ : std::vector<std::string>{};
    if (!siteherald::GetSDFfiles(kProfsFile, knownFiles_))
        return false;
    for (const std::string& path : KnownFilePaths(unwritten))
        AddKnownFile(knownFiles_, path);
    return true;
}

void MainWindow::DoSDFCombobox() {
    const std::vector<std::string> paths = KnownFilePaths(knownFiles_);
    SetItems(fileChoice_, paths);
    SetItems(notesFileChoice_, paths);
}

void MainWindow::FormActi() {
    const QString remembered = fileChoice_->currentText();
    if (!GetSDFfiles()) {
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
    filesAdded_ = false;
}

void MainWindow::ComboBox1Change(int index) {
    Guard(this, [this, index] {
        if (index >= 0) {
            SelectQuietly(fileChoice_, index);
            SelectQuietly(notesFileChoice_, index);
            const std::string path = ToBytes(fileChoice_->currentText());
            if (FileExists(path)) {
                editFileButton_->setEnabled(true);
                LoadLineFile(path, currentFileLines_);
                broadcast_->AddMessages();
                FillListBox();
                logNotes_->LoadLog();
                logNotes_->LoadSubnotes();
                UpdateLogControls();
                UpdateTickBoxes();
                return;
            }
            RemoveKnownFile(knownFiles_, path);
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
        currentFileLines_.clear();
        broadcast_->AddMessages();
        FillListBox();
        logNotes_->ClearFileLog();
        UpdateLogControls();
        UpdateTickBoxes();
    });
}

void MainWindow::CheckCurrentFile() {
    if (currentFilePath_.empty())
        return;
    if (FromBytes(currentFilePath_) != fileChoice_->currentText() &&
        MessageBoxes::Show(this, MessageIcon::Confirmation,
                           QStringLiteral("Change current submission file to file being edited?"),
                           Buttons::YesNo) == Answer::Yes) {
        if (!CheckSaved())
            return;
        const int index = IndexOfExact(fileChoice_, FromBytes(currentFilePath_));
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
