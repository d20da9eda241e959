#pragma once

#include "core/line_file.h"

#include <optional>
#include <string>
#include <vector>

namespace siteherald {

// Attached messages are blocks of lines inside a submission data file:
//   "$START" + subject, a reserved line ("MN" when added, empty once edited),
//   the text lines, "$END" + subject.

// The subject as listed: whole up to 40 characters, else its first 37 and "...".
std::string MessageDisplayName(const std::string& subject);

// The subjects of every "$START" line, in file order.
std::vector<std::string> MessageSubjects(const LineList& lines);

// True when a block's first line begins with "$START" + subject (so a new subject may not be
// the beginning of an existing one).
bool SubjectTaken(const LineList& attachmentLines, const std::string& subject);

void AppendMessageBlock(LineList& attachmentLines, const std::string& subject,
                        const std::string& reservedLine, const LineList& text);

// Replaces the block of `subject` by a new one at the end (reserved line empty). False, with
// nothing changed, when there is no "$START" + subject line.
bool ReplaceMessageBlock(LineList& attachmentLines, const std::string& subject,
                         const LineList& text);

// A block found from a listed item: its start line and its end line. A block whose end line
// is missing ends before the next block (or at the end of the list), so that nothing of a
// following message is ever taken with it.
struct MessageBlock {
    size_t start = 0;
    size_t end = 0; // the "$END" line, or one past the block's last line when it has none
    bool hasEnd = false;
    std::string subject;                        // the start line's text after "$START"
    LineList Text(const LineList& lines) const; // the lines after the reserved line
};

// The key of a listed item: the item, or its first 36 characters when it is longer than 37
// (a shortened display name).
std::string MessageKey(const std::string& item);

// For editing: the first line containing "$START" + key, and the first later line containing
// "$END" + key.
std::optional<MessageBlock> FindMessageForEdit(const LineList& lines, const std::string& item);
// For removal: as for editing when the item is a shortened name; else the line equal to
// "$START" + item and the first later line equal to "$END" + item.
std::optional<MessageBlock> FindMessageForRemoval(const LineList& lines, const std::string& item);

void EraseMessageBlock(LineList& lines, const MessageBlock& block);

// The text of the message `subject` in a submission file: the lines after the reserved line,
// joined with CR LF, leading empty lines dropped. Nothing when the start or end line is
// missing.
std::optional<std::string> ReturnMessage(const LineList& fileLines, const std::string& subject);

// The subject of an imported message: the file name without its folder and its last four
// characters, with a running number's digits appended while a message already begins with
// it (x, x1, x12, ...), cut to 37 characters and "..." when longer than 40.
std::string ImportSubject(const LineList& attachmentLines, const std::string& path);

} // namespace siteherald
