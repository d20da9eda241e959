#include "form_scanner.h"

#include "core/line_file.h"
#include "tag_reader.h"

namespace siteherald {

std::string ScannedFieldItem(const ScannedField& field) {
    return field.name + " (" + field.kind + ")";
}

std::vector<ScannedField> ScanPage(std::string_view page) {
    // A NUL cuts the rest of its line, as when the page is split for filling.
    std::string cut;
    if (page.find('\0') != std::string_view::npos) {
        for (const std::string& line : SplitLines(page, true))
            cut += line + '\n';
        page = cut;
    }
    std::vector<ScannedField> found;
    bool inForm = false;
    TagReader reader(page);
    while (const Tag* tag = reader.Next()) {
        if (tag->Is("form")) {
            inForm = !tag->closing;
            continue;
        }
        const FieldKind kind = FieldKindOf(*tag);
        if (!inForm || kind == FieldKind::None)
            continue;
        const TagAttribute* name = tag->Find("name");
        if (name != nullptr && name->value.empty())
            continue;
        found.push_back({name != nullptr ? std::string(name->value) : "No Name",
                         kind == FieldKind::TextBox ? "Text Box" : "Textarea"});
    }
    return found;
}

} // namespace siteherald
