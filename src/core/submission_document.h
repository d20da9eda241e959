#pragma once

#include "line_file.h"
#include "profiles.h"
#include "prompter.h"
#include "submission_file.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace siteherald {

// What the submission document needs of the form it is edited in.
class SubmissionEditor {
public:
    virtual ~SubmissionEditor() = default;
    // The entry controls in order, with their values; and filling them.
    virtual std::vector<FieldValue> FieldValues() const = 0;
    virtual void SetFieldValues(const std::vector<FieldValue>& values) = 0;
    // Gives every entry control named `name` the lines (see FieldForm); whether one took them.
    virtual bool SetEntryLines(const std::string& name, const LineList& lines, bool single) = 0;
    virtual void ClearFields() = 0;
    virtual void AddField(const FieldDefinition& field) = 0;
    // The profile chosen, empty when none is, with its index (-1).
    virtual std::string ChosenProfile() const = 0;
    virtual int ChosenProfileIndex() const = 0;
    // Chooses a listed profile without loading it; its index, or -1 when it is not listed.
    virtual int SelectProfile(const std::string& name) = 0;
    // The path an unnamed file is saved under; empty when the user cancels.
    virtual std::string ChooseSavePath() = 0;
    // The attached messages were replaced: the message list shows them anew.
    virtual void AttachmentsReplaced() = 0;
    // A file joined the known-file list, which was written: the file lists show it.
    virtual void KnownFilesChanged() = 0;
};

// The submission data file being edited, the current file of the submission lists, and the
// known-file list of profs.dat. Data files are named relative to the data directory, which is
// the working directory.
class SubmissionDocument {
public:
    static constexpr const char* kLayoutFile = "filelay.dat";
    static constexpr const char* kProfsFile = "profs.dat";

    SubmissionDocument(SubmissionEditor& editor, Prompter& prompter);

    // The file being edited.
    const std::string& currentFilePath() const { return path_; }
    bool fileHasName() const { return hasName_; }
    bool fileSaved() const { return saved_; }
    const LineList& attachmentLines() const { return attachmentLines_; }
    const std::vector<std::string>& fieldAutoFills() const { return fieldAutoFills_; }
    int loadedProfileIndex() const { return loadedProfileIndex_; }
    void SetLoadedProfileIndex(int index) { loadedProfileIndex_ = index; }
    // Set when the profile editor saved a profile.
    bool profileChanged() const { return profileChanged_; }
    void SetProfileChanged(bool changed) { profileChanged_ = changed; }

    // A field or a message changed.
    void MarkChanged() { saved_ = false; }
    void MarkSaved() { saved_ = true; }
    // The attached messages change only through here.
    void EditAttachments(const std::function<void(LineList&)>& edit) { edit(attachmentLines_); }

    // Asks to save unsaved changes; false when the user cancels or the save did not happen.
    bool CheckSaved();
    // Empties the form under the chosen profile, for a file without a name.
    void NewFile();
    // Opens a file after CheckSaved; throws FileError when it cannot be read.
    void OpenFile(const std::string& path);
    // Writes the form to `path`; false, told, when it cannot be written.
    bool SaveFile(const std::string& path);
    // "Save": to the file's name, or under a chosen one.
    void Save();
    void SaveAs();
    // Loads the profile's fields into the form; false when filelay.dat has no such profile.
    bool ChangeProfile(const std::string& profileName);
    // Imports an older ".sub" file into the fields of the same names. Its message, empty when
    // it has none, is for the caller to attach; nothing when the file is not one (told).
    // Throws FileError when it cannot be read.
    std::optional<LineList> Import(const std::string& path);

    // The known-file list.
    const std::vector<std::string>& knownFiles() const { return knownFiles_; }
    bool filesAdded() const { return filesAdded_; }
    // Adds a file chosen by "Add Submission Files"; the list is written when that closes.
    void AddFile(const std::string& path);
    void AddToSDFFiles(const std::string& path);
    // At exit and after a file joined the list; "Add Submission Files" writes the list alone,
    // even an empty one.
    void WriteSDFFiles(bool fromAddFilesDialog = false);
    // Reads the list; false when profs.dat is missing.
    bool GetSDFfiles();
    void ListShown() { filesAdded_ = false; }

    // The current file of the submission lists, and its lines.
    const std::string& chosenFile() const { return chosenFile_; }
    const LineList& currentFileLines() const { return currentFileLines_; }
    // Loads the chosen file; a file that no longer exists leaves the known-file list and
    // gives false, with no current file.
    bool ChooseCurrentFile(const std::string& path);
    void ClearCurrentFile();

private:
    SubmissionEditor& editor_;
    Prompter& prompter_;

    std::string path_;
    bool hasName_ = false;
    bool saved_ = true;
    LineList attachmentLines_;
    std::vector<std::string> fieldAutoFills_;
    int loadedProfileIndex_ = -1;
    bool profileChanged_ = false;

    std::vector<std::string> knownFiles_;
    bool filesAdded_ = false;

    std::string chosenFile_;
    LineList currentFileLines_;
};

} // namespace siteherald
