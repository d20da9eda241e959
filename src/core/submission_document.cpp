#include "submission_document.h"

#include "known_files.h"
#include "profiles.h"
#include "settings_keys.h"
#include "sub_import.h"

#include <exception>

namespace siteherald {

namespace {

LineList LoadExistingFile(const std::string& path) {
    LineList lines;
    if (!LoadLineFile(path, lines))
        throw FileError("Unable to read " + path + ": No such file", path);
    return lines;
}

} // namespace

SubmissionDocument::SubmissionDocument(SubmissionEditor& editor, Prompter& prompter)
    : editor_(editor), prompter_(prompter) {}

bool SubmissionDocument::CheckSaved() {
    if (saved_)
        return true;
    const std::optional<bool> save = prompter_.AskYesNoCancel(
        MessageIcon::Confirmation, "Save changes to current submission data file?");
    if (!save)
        return false;
    if (!*save) {
        saved_ = true;
        return true;
    }
    try {
        Save();
    } catch (const std::exception& e) {
        prompter_.Tell(MessageIcon::Error, e.what());
    }
    // A save that did not happen (cancelled or failed) must not let the edits go.
    return saved_;
}

void SubmissionDocument::NewFile() {
    if (!CheckSaved())
        return;
    ChangeProfile(editor_.ChosenProfile());
    attachmentLines_.clear();
    editor_.AttachmentsReplaced();
    path_.clear();
    saved_ = true;
    hasName_ = false;
}

bool SubmissionDocument::ChangeProfile(const std::string& profileName) {
    editor_.ClearFields();
    fieldAutoFills_.clear();
    LineList layout;
    LoadLineFile(kLayoutFile, layout);
    const auto rows = ReadProfileRows(layout, profileName);
    if (!rows)
        return false;
    for (const auto& row : *rows) {
        for (const FieldDefinition& field : row) {
            fieldAutoFills_.push_back(field.autoFill);
            editor_.AddField(field);
        }
    }
    loadedProfileIndex_ = editor_.ChosenProfileIndex();
    return true;
}

void SubmissionDocument::OpenFile(const std::string& path) {
    if (!CheckSaved())
        return;
    const LineList file = LoadExistingFile(path);
    std::string profile = SubmissionFileProfile(file);
    if (!ChangeProfile(profile)) {
        prompter_.Tell(MessageIcon::Error,
                       "Could not find submission file's profile. Loading DEFAULT profile.");
        profile = Read(settings::Profile);
        ChangeProfile(profile);
    }
    if (editor_.ChosenProfile() != profile) {
        const int index = editor_.SelectProfile(profile);
        if (index >= 0)
            loadedProfileIndex_ = index;
    }
    const SubmissionFileContents contents = ReadSubmissionFile(file, editor_.FieldValues());
    editor_.SetFieldValues(contents.fields);
    attachmentLines_ = contents.attachmentLines;
    editor_.AttachmentsReplaced();
    saved_ = true;
    hasName_ = true;
    path_ = path;
    AddToSDFFiles(path);
}

bool SubmissionDocument::SaveFile(const std::string& path) {
    const LineList file = BuildSubmissionFile(editor_.ChosenProfile(), editor_.FieldValues(),
                                              attachmentLines_, fieldAutoFills_);
    try {
        SaveLineFile(path, file);
    } catch (const FileError& e) {
        prompter_.Tell(MessageIcon::Error, e.what());
        return false;
    }
    saved_ = true;
    hasName_ = true;
    path_ = path;
    return true;
}

void SubmissionDocument::Save() {
    if (hasName_)
        SaveFile(path_);
    else
        SaveAs();
}

void SubmissionDocument::SaveAs() {
    const std::string path = editor_.ChooseSavePath();
    if (path.empty())
        return;
    if (SaveFile(path))
        AddToSDFFiles(path);
}

std::optional<LineList> SubmissionDocument::Import(const std::string& path) {
    const LineList lines = LoadExistingFile(path);
    std::string problem;
    const auto contents = ReadSubFile(lines, problem);
    if (!contents) {
        prompter_.Tell(MessageIcon::Error,
                       "Unable to import " + path + ": " + problem + ". Nothing was changed.");
        return std::nullopt;
    }
    bool filled = false;
    for (const auto& [name, value] : contents->singles)
        filled |= editor_.SetEntryLines(name, {value}, true);
    for (const auto& [name, section] : contents->sections)
        filled |= editor_.SetEntryLines(name, section, false);
    if (filled || !contents->message.empty())
        saved_ = false;
    return contents->message;
}

// ---- the known-file list ----

void SubmissionDocument::AddFile(const std::string& path) {
    AddKnownFile(knownFiles_, path);
    filesAdded_ = true;
}

void SubmissionDocument::AddToSDFFiles(const std::string& path) {
    if (!AddKnownFile(knownFiles_, path))
        return;
    WriteSDFFiles();
    editor_.KnownFilesChanged();
}

void SubmissionDocument::WriteSDFFiles(bool fromAddFilesDialog) {
    if (!fromAddFilesDialog && knownFiles_.empty())
        return;
    WriteKnownFiles(kProfsFile, knownFiles_);
    if (!fromAddFilesDialog)
        Write(settings::Profile, editor_.ChosenProfile());
}

bool SubmissionDocument::GetSDFfiles() {
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

// ---- the current file ----

bool SubmissionDocument::ChooseCurrentFile(const std::string& path) {
    if (FileExists(path)) {
        LoadLineFile(path, currentFileLines_);
        chosenFile_ = path;
        return true;
    }
    RemoveKnownFile(knownFiles_, path);
    ClearCurrentFile();
    return false;
}

void SubmissionDocument::ClearCurrentFile() {
    chosenFile_.clear();
    currentFileLines_.clear();
}

} // namespace siteherald
