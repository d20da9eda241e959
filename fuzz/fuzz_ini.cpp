// The settings file's reader and writer. The first line of the input is "section|key|value"
// for a write (fields left out take defaults); the rest is the file. A value written must read
// back, other keys must read as before, and the written file must survive another round.

#include "core/ini_file.h"
#include "core/pipe_record.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

using siteherald::IniDocument;

namespace {

// Keys the program reads from its settings file.
const std::pair<const char*, const char*> kKeys[] = {
    {"Options", "Path"},      {"Options", "Browser"}, {"Updates", "sedata.dat"},
    {"Updates", "LastCheck"}, {"Mail", "SMTPServer"}, {"Window", "Left"},
};

// Names made of letters, digits, "_", "." and "-" only: a name with "=", "]", ";", blanks or
// line breaks could not be stored as is.
std::string NameOf(std::string_view field, const char* fallback) {
    std::string name;
    for (const char c : field)
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            c == '_' || c == '.' || c == '-')
            name += c;
    return name.empty() ? fallback : name;
}

// A value as it can be kept: one line, and no blanks at either end (they are trimmed on
// reading).
std::string ValueOf(std::string_view field) {
    std::string value;
    for (const char c : field)
        if (c != '\r' && c != '\n')
            value += c;
    const size_t first = value.find_first_not_of(" \t");
    if (first == std::string::npos)
        return {};
    return value.substr(first, value.find_last_not_of(" \t") - first + 1);
}

bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t newline = input.find('\n');
    const std::string_view control = input.substr(0, newline);
    const std::string_view text =
        newline == std::string_view::npos ? std::string_view() : input.substr(newline + 1);

    const auto field = [&](int n) {
        std::string f = siteherald::PipeField(control, n);
        return f == siteherald::kPipeError ? std::string() : f;
    };
    const std::string section = NameOf(field(1), "Options");
    const std::string key = NameOf(field(2), "Path");
    const std::string value = ValueOf(field(3));

    IniDocument doc = IniDocument::Parse(text);
    std::optional<std::string> before[std::size(kKeys)];
    for (size_t i = 0; i < std::size(kKeys); ++i)
        before[i] = doc.Get(kKeys[i].first, kKeys[i].second);

    doc.Set(section, key, value);
    if (doc.Get(section, key) != value)
        std::abort();
    for (size_t i = 0; i < std::size(kKeys); ++i)
        if (!(SameName(kKeys[i].first, section) && SameName(kKeys[i].second, key)) &&
            doc.Get(kKeys[i].first, kKeys[i].second) != before[i])
            std::abort();

    const std::string written = doc.Serialize();
    const IniDocument reread = IniDocument::Parse(written);
    if (reread.Get(section, key) != value)
        std::abort();
    if (reread.Serialize() != written)
        std::abort();
    return 0;
}
