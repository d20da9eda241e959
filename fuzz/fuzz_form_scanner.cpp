// Scans arbitrary bytes as an engine's page, and reads its tags. Every tag lies within the
// page, after the one before it, from its "<" to its ">", with its attributes inside it and
// their values where their positions say; every field found has a name and is a text box or
// text area, and there are no more fields than field tags.

#include "core/ascii.h"
#include "fuzz_check.h"
#include "submit/form_scanner.h"
#include "submit/tag_reader.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

size_t Count(std::string_view text, std::string_view what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string_view::npos;
         at = text.find(what, at + what.size()))
        ++count;
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view page(reinterpret_cast<const char*>(data), size);

    siteherald::TagReader reader(page);
    size_t after = 0;
    while (const siteherald::Tag* tag = reader.Next()) {
        Check(tag->begin >= after && tag->begin < tag->end && tag->end <= size);
        Check(page[tag->begin] == '<' && page[tag->end - 1] == '>' && !tag->name.empty());
        for (const siteherald::TagAttribute& a : tag->attributes) {
            Check(a.begin > tag->begin && a.begin < a.end && a.end < tag->end);
            Check(a.valueBegin >= a.begin && a.valueBegin <= a.end);
            Check(page.substr(a.valueBegin, a.value.size()) == a.value);
            Check(a.quote == 0 ||
                  (page[a.valueBegin - 1] == a.quote && page[a.end - 1] == a.quote));
        }
        after = tag->end;
    }

    const std::string lower = siteherald::LowerAscii(page);
    const auto fields = siteherald::ScanPage(page);
    Check(fields.size() <= Count(lower, "<input") + Count(lower, "<textarea"));
    for (const siteherald::ScannedField& field : fields)
        Check(!field.name.empty() && (field.kind == "Text Box" || field.kind == "Textarea"));
    return 0;
}
