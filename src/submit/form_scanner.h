#pragma once

#include "core/line_file.h"

#include <string>
#include <vector>

namespace siteherald {

// A text box or text area found on an engine's page.
struct ScannedField {
    std::string name;
    std::string kind; // "Text Box" or "Textarea"
};

// The editor's list item of a field: name + " (" + kind + ")".
std::string ScannedFieldItem(const ScannedField& field);

// Removes blanks right after "<" and right before ">" in every line.
void FixHTML(LineList& scanLines);

// Occurrences of "<form" in all lines, any case.
size_t FormCount(const LineList& scanLines);

// The type code of a tag (without its "<"): "1" text box, "2" text area, "3" radio, "4" check
// box, "5" submit, "6" reset, "7" hidden, "0" anything else (what == 1); or its name, as
// written, "No Name" when it has none (what == 2).
std::string GetInfo(const std::string& tag, int what);

// Position (from 1) of the line's first <input or <textarea that is not hidden behind a
// "type=hidden" earlier on the line; 0 when none.
size_t ScannerFieldPos(const std::string& line);

// Every text box and text area of every form of the page, in page order. A form inside a
// script is skipped (that form alone). A tag is read to its ">" or at most kMaxTag
// characters, so no page can make the scan slow.
std::vector<ScannedField> CreateFieldData(const LineList& scanLines);

// The whole scan of a downloaded page: split, FixHTML, CreateFieldData.
std::vector<ScannedField> ScanPage(std::string_view page);

inline constexpr size_t kMaxTag = 1024;

} // namespace siteherald
