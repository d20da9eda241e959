#pragma once

#include "line_file.h"

#include <string>
#include <vector>

namespace siteherald {

// A submission data file (.sdf):
//   $PROFILE$<profile name>
//   name:value                   a single-line field
//   name:                        a multi-line field: its lines, then
//   ...
//   $name:
//   $START<subject> ... $END<subject>     attached messages
//   $FieldNames$ <identifier of each field, "None" for none> $FieldNames$

struct FieldValue {
    std::string name; // the entry control's name
    bool multiLine = false;
    std::string text; // single-line fields
    LineList lines;   // multi-line fields
};

// Line breaks in a single-line field's text become spaces.
LineList BuildSubmissionFile(const std::string& profileName, const std::vector<FieldValue>& fields,
                             const LineList& attachmentLines,
                             const std::vector<std::string>& fieldAutoFills);

// The profile name of line 0, or empty.
std::string SubmissionFileProfile(const LineList& file);

struct SubmissionFileContents {
    std::vector<FieldValue> fields; // in the order of the controls asked for
    LineList attachmentLines;
};

// Reads the values of the given controls (name and kind; text and lines are ignored) by
// name, the first line that begins with a control's name holding its value, and the
// attached messages that follow the fields.
SubmissionFileContents ReadSubmissionFile(const LineList& file,
                                          const std::vector<FieldValue>& controls);

// The auto-fill identifiers between the two "$FieldNames$" lines, in field order ("None" for a
// field without one); none when the section is missing or not closed.
std::vector<std::string> SubmissionFileFieldNames(const LineList& file);

} // namespace siteherald
