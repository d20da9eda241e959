// The File tab: the profile choice, the field form and the attached messages of the
// submission data file being edited.
#include "file_tab.h"

#include "attach_message_dialog.h"
#include "broadcast/attached_messages.h"
#include "combo_helpers.h"
#include "core/profiles.h"
#include "core/settings_keys.h"
#include "event_guard.h"
#include "field_form.h"
#include "file_dialogs.h"
#include "profile_editor.h"
#include "sorted_list.h"
#include "text_codec.h"
#include "widgets.h"

#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace siteherald::ui {

namespace {

void AddDisplayName(QComboBox* combo, const std::string& subject) {
    const QString name = FromBytes(MessageDisplayName(subject));
    if (combo->findText(name, Qt::MatchExactly) < 0)
        InsertSorted(combo, name);
}

} // namespace

FileTab::FileTab(const QString& dataDir, QWidget* dialogParent) : dataDir_(dataDir) {
    setObjectName(QStringLiteral("TabSheet2"));
    QWidget* tab = this;
    profileCheckTimer_.setInterval(100);
    profileCheckTimer_.setSingleShot(true);
    connect(&profileCheckTimer_, &QTimer::timeout, this, &FileTab::onProfileCheckTimeout);
    attachMessageDialog_ = new AttachMessageDialog(dialogParent);
    attachMessageDialog_->Store = [this] {
        return attachMessageDialog_->Editing ? EditAttachment() : AddAttachment();
    };
    attachMessageDialog_->AfterStore = [this] {
        document_.MarkChanged();
        UpdateMessageButtons();
    };
    profileEditor_ = new ProfileEditor([this] { document_.SetProfileChanged(true); }, dialogParent);

    auto* newButton =
        NamedButton(QStringLiteral("BitBtn6"), QStringLiteral("New"), QStringLiteral("New"), tab);
    auto* openButton =
        NamedButton(QStringLiteral("BitBtn7"), QStringLiteral("Open"), QStringLiteral("Open"), tab);
    auto* saveButton =
        NamedButton(QStringLiteral("BitBtn8"), QStringLiteral("Save"), QStringLiteral("Save"), tab);
    auto* attachButton = NamedButton(QStringLiteral("BitBtn10"), QStringLiteral("Attach Message"),
                                     QStringLiteral("Attach Message"), tab);
    connect(attachButton, &QPushButton::clicked, this, &FileTab::CleanForm4);
    profileChoice_ = Combo(QStringLiteral("ComboBox4"), tab);
    profileChoice_->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* profilesButton = NamedButton(QStringLiteral("BitBtn9"), QStringLiteral("Profiles..."),
                                       QStringLiteral("Customize Profiles"), tab);
    connect(newButton, &QPushButton::clicked, this, &FileTab::onNewClicked);
    connect(openButton, &QPushButton::clicked, this, &FileTab::onOpenClicked);
    connect(saveButton, &QPushButton::clicked, this, &FileTab::onSaveClicked);
    connect(profileChoice_, &QComboBox::activated, this, &FileTab::ComboBox4Change);

    profileMenu_ = new QMenu(this);
    profileMenu_->setObjectName(QStringLiteral("PopupMenu3"));
    profileMenu_->addAction(QStringLiteral("&Add Profile"), this, &FileTab::onAddProfileClicked);
    profileMenu_->addAction(QStringLiteral("&Delete Profile"), this,
                            &FileTab::onDeleteProfileClicked);
    profileMenu_->addAction(QStringLiteral("&Edit Profile"), this, &FileTab::onEditProfileClicked);
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
    connect(addMessageButton, &QPushButton::clicked, this, &FileTab::CleanForm4);
    connect(editMessageButton_, &QPushButton::clicked, this,
            [this] { ShowEditAttachment(messageChoice_); });
    connect(removeMessageButton_, &QPushButton::clicked, this,
            [this] { RemoveAttachment(messageChoice_); });
    connect(messageChoice_, &QComboBox::activated, this, &FileTab::UpdateMessageButtons);
    auto* messageRow = new QHBoxLayout(messages);
    messageRow->addWidget(messageChoice_, 1);
    messageRow->addWidget(addMessageButton);
    messageRow->addWidget(editMessageButton_);
    messageRow->addWidget(removeMessageButton_);

    auto* layout = new QVBoxLayout(tab);
    layout->addLayout(toolbar);
    layout->addWidget(fieldForm_, 1);
    layout->addWidget(messages);
}

FileTab::~FileTab() = default;

// ---- profiles ----

void FileTab::DisplayDefaultList() {
    LineList layout;
    LoadLineFile(kLayoutFile, layout);
    SetItems(profileChoice_, siteherald::DisplayDefaultList(layout));
}

void FileTab::LoadStartProfile() {
    const int index = IndexOfExact(profileChoice_, FromBytes(Read(settings::Profile)));
    SelectQuietly(profileChoice_, index);
    document_.ChangeProfile(ChosenProfile());
}

// ---- the form the document is edited in ----

std::vector<FieldValue> FileTab::FieldValues() const {
    return fieldForm_->Values();
}

void FileTab::SetFieldValues(const std::vector<FieldValue>& values) {
    fieldForm_->SetValues(values);
}

bool FileTab::SetEntryLines(const std::string& name, const LineList& lines, bool single) {
    return fieldForm_->SetEntryLines(name, lines, single);
}

void FileTab::ClearFields() {
    fieldForm_->Clear();
}

void FileTab::AddField(const FieldDefinition& field) {
    fieldForm_->AddField(field);
}

std::string FileTab::ChosenProfile() const {
    return profileChoice_->currentIndex() >= 0 ? ToBytes(profileChoice_->currentText())
                                               : std::string();
}

int FileTab::ChosenProfileIndex() const {
    return profileChoice_->currentIndex();
}

int FileTab::SelectProfile(const std::string& name) {
    const int index = IndexOfExact(profileChoice_, FromBytes(name));
    if (index >= 0)
        SelectQuietly(profileChoice_, index);
    return index;
}

std::string FileTab::ChooseSavePath() {
    const QString path = FileDialogs::SaveSubmissionFile(this);
    QDir::setCurrent(dataDir_);
    return ToBytes(path);
}

void FileTab::AttachmentsReplaced() {
    messageChoice_->clear();
    ParseAttachments();
}

void FileTab::KnownFilesChanged() {
    emit knownFilesChanged();
}

void FileTab::ComboBox4Change(int) {
    Guard(this, [this] {
        if (document_.CheckSaved())
            document_.ChangeProfile(ChosenProfile());
        else
            SelectQuietly(profileChoice_, document_.loadedProfileIndex());
    });
}

void FileTab::onDeleteProfileClicked() {
    Guard(this, [this] { DeleteProfile(); });
}

void FileTab::DeleteProfile() {
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

void FileTab::onProfileCheckTimeout() {
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

// ---- the file being edited ----

void FileTab::onNewClicked() {
    Guard(this, [this] {
        document_.NewFile();
        emit showRequested();
    });
}

void FileTab::onOpenClicked() {
    Guard(this, [this] {
        const QString path = FileDialogs::OpenSubmissionFile(this);
        QDir::setCurrent(dataDir_);
        if (!path.isEmpty())
            document_.OpenFile(ToBytes(path));
    });
}

void FileTab::onSaveClicked() {
    Guard(this, [this] { document_.Save(); });
}

void FileTab::onSaveAsClicked() {
    Guard(this, [this] { document_.SaveAs(); });
}

// ---- attached messages ----

void FileTab::UpdateMessageButtons() {
    const bool selected = messageChoice_->currentIndex() >= 0;
    editMessageButton_->setEnabled(selected);
    removeMessageButton_->setEnabled(selected);
}

void FileTab::ParseAttachments() {
    for (const std::string& subject : MessageSubjects(document_.attachmentLines()))
        InsertSorted(messageChoice_, FromBytes(subject));
    if (messageChoice_->count() == 0)
        messageChoice_->setCurrentIndex(-1);
    UpdateMessageButtons();
}

void FileTab::CleanForm4() {
    attachMessageDialog_->subjectEdit_->clear();
    attachMessageDialog_->messageEdit_->clear();
    attachMessageDialog_->Editing = false;
    attachMessageDialog_->exec();
}

bool FileTab::AddAttachment() {
    const std::string subject = ToBytes(attachMessageDialog_->subjectEdit_->text());
    if (subject.empty()) {
        attachMessageDialog_->subjectEdit_->setFocus();
        MessageBoxes::Show(attachMessageDialog_, MessageIcon::Information,
                           QStringLiteral("You must give this message a subject heading."),
                           Buttons::Ok);
        return false;
    }
    if (SubjectTaken(document_.attachmentLines(), subject)) {
        MessageBoxes::Show(
            attachMessageDialog_, MessageIcon::Information,
            QStringLiteral(
                "There is already one message with that subject. Please choose another."),
            Buttons::Ok);
        return false;
    }
    const LineList text = TextLines(attachMessageDialog_->messageEdit_->toPlainText());
    document_.EditAttachments(
        [&](LineList& lines) { AppendMessageBlock(lines, subject, "MN", text); });
    AddDisplayName(messageChoice_, subject);
    return true;
}

bool FileTab::EditAttachment() {
    const std::string subject = ToBytes(attachMessageDialog_->subjectEdit_->text());
    if (subject.empty()) {
        MessageBoxes::Show(attachMessageDialog_, MessageIcon::Information,
                           QStringLiteral("You must give this message a subject heading."),
                           Buttons::Ok);
        return false;
    }
    const LineList text = TextLines(attachMessageDialog_->messageEdit_->toPlainText());
    bool replaced = false;
    document_.EditAttachments(
        [&](LineList& lines) { replaced = ReplaceMessageBlock(lines, subject, text); });
    if (!replaced)
        return false;
    AddDisplayName(messageChoice_, subject);
    return true;
}

void FileTab::ShowEditAttachment(QComboBox* combo) {
    const int index = combo->currentIndex();
    if (index < 0)
        return;
    const std::string item = ToBytes(combo->itemText(index));
    const auto block = FindMessageForEdit(document_.attachmentLines(), item);
    if (!block) {
        combo->removeItem(index);
        MessageBoxes::Show(this, MessageIcon::Warning,
                           QStringLiteral("Cannot find message: ") + FromBytes(MessageKey(item)),
                           Buttons::Ok);
        return;
    }
    attachMessageDialog_->subjectEdit_->setText(FromBytes(block->subject));
    attachMessageDialog_->messageEdit_->setPlainText(
        JoinedText(block->Text(document_.attachmentLines())));
    attachMessageDialog_->Editing = true;
    attachMessageDialog_->exec();
}

void FileTab::RemoveAttachment(QComboBox* combo) {
    const int index = combo->currentIndex();
    if (index < 0)
        return;
    const QString item = combo->itemText(index);
    const auto block = FindMessageForRemoval(document_.attachmentLines(), ToBytes(item));
    if (!block) {
        combo->removeItem(index);
        combo->setCurrentIndex(-1);
        UpdateMessageButtons();
        MessageBoxes::Show(this, MessageIcon::Warning,
                           QStringLiteral("Cannot find message: ") + item, Buttons::Ok);
        return;
    }
    if (MessageBoxes::Show(this, MessageIcon::Confirmation,
                           QStringLiteral("Remove: \"") + item + QStringLiteral("\"?"),
                           Buttons::YesNo) != Answer::Yes)
        return;
    document_.EditAttachments([&](LineList& lines) { EraseMessageBlock(lines, *block); });
    combo->removeItem(index);
    combo->setCurrentIndex(-1);
    UpdateMessageButtons();
    document_.MarkChanged();
}

// ---- the profile editor and import ----

void FileTab::ShowProfileEditor(const std::string& name) {
    document_.SetProfileChanged(false);
    profileEditor_->Open(name);
    // The editor may have added or renamed profiles: list them, keeping the choice.
    Guard(this, [this] {
        const QString chosen = profileChoice_->currentText();
        const QString loaded = profileChoice_->itemText(document_.loadedProfileIndex());
        DisplayDefaultList();
        const QSignalBlocker quiet(profileChoice_);
        profileChoice_->setCurrentIndex(profileChoice_->findText(chosen, Qt::MatchExactly));
        // A saved profile moves to the end of the list; a refused change returns to the one
        // the field form shows.
        document_.SetLoadedProfileIndex(profileChoice_->findText(loaded, Qt::MatchExactly));
    });
    profileCheckTimer_.start();
}

void FileTab::onAddProfileClicked() {
    ShowProfileEditor({});
}

void FileTab::onEditProfileClicked() {
    ShowProfileEditor(ToBytes(profileChoice_->currentText()));
}

void FileTab::onImportClicked() {
    Guard(this, [this] {
        const QString chosen = FileDialogs::OpenOlderSubmissionFile(this);
        if (chosen.isEmpty())
            return;
        const std::string path = ToBytes(chosen);
        const std::optional<LineList> message = document_.Import(path);
        if (!message || message->empty())
            return;
        const std::string subject = ImportSubject(document_.attachmentLines(), path);
        document_.EditAttachments(
            [&](LineList& lines) { AppendMessageBlock(lines, subject, "M", *message); });
        InsertSorted(messageChoice_, FromBytes(subject));
        UpdateMessageButtons();
        emit messageImported();
    });
}

} // namespace siteherald::ui
