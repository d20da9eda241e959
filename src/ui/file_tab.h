#pragma once

#include "core/submission_document.h"
#include "message_box.h"

#include <QTimer>
#include <QWidget>
#include <string>
#include <vector>

class QComboBox;
class QMenu;
class QPushButton;

namespace siteherald::ui {

class AttachMessageDialog;
class FieldForm;
class ProfileEditor;

// The "File..." tab: the profile choice, the field form of the submission data file being
// edited and its attached messages. It holds the submission document and is its form.
class FileTab : public QWidget, private SubmissionEditor {
    Q_OBJECT
public:
    // dataDir: the working directory the file dialogs return to; dialogParent: the window
    // the tab's dialogs belong to.
    FileTab(const QString& dataDir, QWidget* dialogParent);
    ~FileTab() override;

    SubmissionDocument& document() { return document_; }
    const SubmissionDocument& document() const { return document_; }

    // Lists the profiles of filelay.dat.
    void DisplayDefaultList();
    // At start-up: the profile last used, chosen and loaded.
    void LoadStartProfile();

public slots:
    void onNewClicked();
    void onOpenClicked();
    void onSaveClicked();
    void onSaveAsClicked();
    void onImportClicked();
    void onAddProfileClicked();
    void onEditProfileClicked();
    void onDeleteProfileClicked();
    void ComboBox4Change(int index); // profile
    void CleanForm4();               // the "Attach Message" window, emptied for a new message

signals:
    // The tab is to be shown: a new file was started.
    void showRequested();
    // A file joined the known-file list, which was written.
    void knownFilesChanged();
    // An imported file's message was attached.
    void messageImported();

private slots:
    void onProfileCheckTimeout();

private:
    void DeleteProfile();
    void ShowProfileEditor(const std::string& name);
    void ParseAttachments();
    void ShowEditAttachment(QComboBox* combo);
    void RemoveAttachment(QComboBox* combo);
    bool AddAttachment();
    bool EditAttachment();
    void UpdateMessageButtons();

    std::vector<FieldValue> FieldValues() const override;
    void SetFieldValues(const std::vector<FieldValue>& values) override;
    bool SetEntryLines(const std::string& name, const LineList& lines, bool single) override;
    void ClearFields() override;
    void AddField(const FieldDefinition& field) override;
    std::string ChosenProfile() const override;
    int ChosenProfileIndex() const override;
    int SelectProfile(const std::string& name) override;
    std::string ChooseSavePath() override;
    void AttachmentsReplaced() override;
    void KnownFilesChanged() override;

    QString dataDir_;
    BoxPrompter prompter_{this};
    SubmissionDocument document_{*this, prompter_};
    QTimer profileCheckTimer_;

    QComboBox* profileChoice_ = nullptr;
    QMenu* profileMenu_ = nullptr;
    FieldForm* fieldForm_ = nullptr;
    QComboBox* messageChoice_ = nullptr;
    QPushButton* editMessageButton_ = nullptr;
    QPushButton* removeMessageButton_ = nullptr;
    AttachMessageDialog* attachMessageDialog_ = nullptr;
    ProfileEditor* profileEditor_ = nullptr;
};

} // namespace siteherald::ui
