#pragma once

#include "line_file.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace siteherald {

// sedata.dat is a sequence of engine records:
//   $Name$
//   Name|SubmissionURL|InfoURL|      (the info field and its "|" left out when empty)
//   FormFieldName|AutoFillIdentifier|   (zero or more)
//   $Name$

std::string EngineMarker(std::string_view name);

// A marker line begins with "$" and its first "$" after the first character is its last
// character; `name` receives the text between the two.
bool IsEngineMarker(std::string_view line, std::string_view* name = nullptr);

// Loads the whole file into seRecordList and lists the engine names, sorted without regard to
// case, each name once. False (and both emptied) when the file does not exist.
bool FillSeCombo(const std::string& file, LineList& seRecordList, std::vector<std::string>& names);

enum class RecordLookup {
    Found,
    NotFound,
    FileMissing, // missing or empty: the caller runs the missing-file step for "sedata.dat"
};

// Puts the record of `name` without its markers into seRecordList: line 0 the engine line,
// then the field lines. A record without an end marker runs to the end of the file.
RecordLookup GetSEData(const std::string& file, const std::string& name, LineList& seRecordList);

struct EngineAddresses {
    std::string submission;
    std::string info;
};

// Fields 2 and 3 of the engine line; a missing field gives an empty text.
EngineAddresses ParseSEData(const LineList& seRecordList);

// A record is used as an address only when its engine line has a submission address: a
// record without lines, or whose field 2 is missing or empty, is damaged.
bool HasSubmissionAddress(const LineList& seRecordList);

// "The record of <name> in sedata.dat is damaged."
std::string DamagedRecordMessage(const std::string& name);

// Whether the lines of sedata.dat hold at least one record with a submission address.
bool HoldsUsableEngine(const LineList& lines);

// Deletes the first record of `name` from the file. Returns true when the file was rewritten;
// a missing file, an unknown name or a record without an end marker change nothing.
bool RemoveSE(const std::string& file, const std::string& name);

// The engine list's selection after item `removed` was deleted and `remaining` items are
// left: the same index, or the one before when it fell off the end; npos when none remain.
size_t SelectionAfterRemoval(size_t removed, size_t remaining);

// Writes a record (markers included) to the end of sedata.dat and appends it to the change
// file. When editing an existing engine, the first record with the same start marker is
// removed first.
void SaveSEData(const std::string& seFile, const std::string& changeFile,
                const LineList& editRecord, bool editingExisting);

// The engine line built from the editor's three boxes.
std::string MakeEngineLine(const std::string& name, const std::string& submissionUrl,
                           const std::string& infoUrl);

// The form field names of a record without markers (field 1 of lines 1 onward).
std::vector<std::string> GetFields(const LineList& editRecord);

} // namespace siteherald
