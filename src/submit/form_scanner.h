#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace siteherald {

// A text box or text area found on an engine's page.
struct ScannedField {
    std::string name; // as written; "No Name" when the field has no name attribute
    std::string kind; // "Text Box" or "Textarea"
};

// The editor's list item of a field: name + " (" + kind + ")".
std::string ScannedFieldItem(const ScannedField& field);

// Every text box and text area inside a form of a downloaded page, in page order, read
// with the page builder's tag reader, so that what is listed is what a fill can fill.
// Fields with an empty name are left out.
std::vector<ScannedField> ScanPage(std::string_view page);

} // namespace siteherald
