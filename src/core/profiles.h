#pragma once

#include "line_file.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace siteherald {

// filelay.dat holds profile sections:
//   $START<name>
//   1                        row marker
//   E|HALF|Name|ident|default|     one or two field definitions
//   1
//   ...
//   $END<name>

struct FieldDefinition {
    std::string type;     // "E" single line, "M" multi-line
    std::string width;    // "HALF" or "WHOLE"
    std::string name;     // the label
    std::string autoFill; // auto-fill identifier or "None"
    std::string defaultValue;
};

// A one-line value as the line files store it: each CR or LF becomes a space, so that a
// pasted line break cannot split the value into lines of its own.
std::string OneLineValue(std::string_view value);

FieldDefinition ParseFieldDefinition(const std::string& line);
// The definition's line; line breaks in its fields become spaces.
std::string FormatFieldDefinition(const FieldDefinition& field);

// Names of every "$START" line, in file order (the profile choice's list).
std::vector<std::string> DisplayDefaultList(const LineList& layoutLines);

// The lines strictly between "$START<name>" and "$END<name>" (to the end of the file when
// the end line is missing); nullopt when the start line is missing.
std::optional<LineList> ProfileSection(const LineList& layoutLines, const std::string& name);

// The field definitions of a profile, row by row, as the field form places them.
std::optional<std::vector<std::vector<FieldDefinition>>>
ReadProfileRows(const LineList& layoutLines, const std::string& name);

// The profile editor's row list, "Row <n>: " + the row's field names joined with ", ", read
// from a profile's rows (row markers and field definitions); every identifier the rows use
// is taken out of freeAutoFills.
std::vector<std::string> ProfileRowList(const LineList& profileRows,
                                        std::vector<std::string>& freeAutoFills);

// Removes the section of `name` from filelay.dat. Returns false when the file is empty or
// missing or the profile is not in it; the file is then left as it was.
bool DeleteProfileSection(const std::string& layoutFile, const std::string& name);

// Appends a profile section to the layout lines (the profile editor's "save as new"); line
// breaks in the name become spaces.
void SaveNewProf(LineList& layoutLines, const std::string& name, const LineList& profileRows);

// Replaces the section of `oldName` by the new rows, as the last section (save over the old
// profile); a profile that is not there is saved as new.
void SaveOldProf(LineList& layoutLines, const std::string& oldName, const std::string& name,
                 const LineList& profileRows);

// The "$AutoFill" section of profs.dat: sorted without regard to case, each once. Empty when
// the file is missing.
std::vector<std::string> GetAutoFill(const std::string& profsFile);

// Writes the identifiers back as the "$AutoFill" section, keeping every other line;
// creates profs.dat with that section alone when it is missing.
void SaveAutoFill(const std::string& profsFile, const std::vector<std::string>& identifiers);

} // namespace siteherald
