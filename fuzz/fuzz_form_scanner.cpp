// Scans arbitrary bytes as an engine's page. Every field found has a name and is a text box or
// text area, no more fields are found than there are field tags, FixHTML leaves nothing to
// fix behind it, and the fields of a page that is all one form are those found by cutting
// each line tag by tag with ScannerFieldPos (the slow way DoFields avoids).

#include "core/ascii.h"
#include "core/line_file.h"
#include "submit/form_scanner.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using siteherald::LineList;
using siteherald::ScannedField;

namespace {

size_t Count(std::string_view text, std::string_view what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string_view::npos;
         at = text.find(what, at + what.size()))
        ++count;
    return count;
}

// The fields of the lines of one form, each line cut after each field tag found on it.
std::vector<ScannedField> FieldsByCutting(const LineList& formLines) {
    std::vector<ScannedField> found;
    for (size_t j = 0; j < formLines.size(); ++j) {
        std::string line = formLines[j];
        while (const size_t p = siteherald::ScannerFieldPos(line)) {
            std::string tag = line.substr(p, siteherald::kMaxTag);
            for (size_t k = j + 1; tag.find('>') == std::string::npos && k < formLines.size() &&
                                   tag.size() < siteherald::kMaxTag;
                 ++k)
                tag += formLines[k].substr(0, siteherald::kMaxTag - tag.size());
            tag = tag.substr(0, tag.find('>'));
            const std::string type = siteherald::GetInfo(tag, 1);
            const std::string name = siteherald::GetInfo(tag, 2);
            if ((type == "1" || type == "2") && !name.empty())
                found.push_back({name, type == "1" ? "Text Box" : "Textarea"});
            line.erase(0, p);
        }
    }
    return found;
}

bool Same(const std::vector<ScannedField>& a, const std::vector<ScannedField>& b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                      [](const ScannedField& x, const ScannedField& y) {
                          return x.name == y.name && x.kind == y.kind;
                      });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view page(reinterpret_cast<const char*>(data), size);
    const std::vector<ScannedField> fields = siteherald::ScanPage(page);

    LineList fixed = siteherald::SplitLines(page, true);
    siteherald::FixHTML(fixed);
    size_t fieldTags = 0;
    bool closesForm = false;
    for (const std::string& line : fixed) {
        if (line.find("< ") != std::string::npos || line.find(" >") != std::string::npos)
            std::abort();
        const std::string lower = siteherald::LowerAscii(line);
        fieldTags += Count(lower, "<input") + Count(lower, "<textarea");
        closesForm = closesForm || lower.find("</form") != std::string::npos;
    }
    if (fields.size() > fieldTags)
        std::abort();
    for (const ScannedField& field : fields)
        if (field.name.empty() || (field.kind != "Text Box" && field.kind != "Textarea"))
            std::abort();

    // The page made one form: opened on a line of its own, closed after the last line.
    if (!closesForm && size <= 8192) {
        LineList form = {"<form>"};
        form.insert(form.end(), fixed.begin(), fixed.end());
        LineList wrapped = form;
        wrapped.push_back("</form>");
        wrapped.push_back("</body>");
        if (!Same(siteherald::CreateFieldData(wrapped), FieldsByCutting(form)))
            std::abort();
    }
    return 0;
}
