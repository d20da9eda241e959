#include "ini_file.h"

#include "ascii.h"
#include "line_file.h"

namespace siteherald {

namespace {

std::string_view Trim(std::string_view s) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!s.empty() && blank(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && blank(s.back()))
        s.remove_suffix(1);
    return s;
}

// The section name of a "[name]" line, if the line is one.
std::optional<std::string_view> SectionName(std::string_view line) {
    const std::string_view t = Trim(line);
    if (t.empty() || t.front() != '[')
        return std::nullopt;
    const size_t close = t.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return Trim(t.substr(1, close - 1));
}

struct KeyValue {
    std::string_view key;
    std::string_view value;
};

std::optional<KeyValue> ParseKeyValue(std::string_view line) {
    const std::string_view t = Trim(line);
    if (t.empty() || t.front() == ';' || t.front() == '#')
        return std::nullopt;
    const size_t eq = t.find('=');
    if (eq == std::string_view::npos)
        return std::nullopt;
    return KeyValue{Trim(t.substr(0, eq)), Trim(t.substr(eq + 1))};
}

// A value is one line: line breaks inside it would start new keys in the file.
std::string OneLine(std::string_view value) {
    std::string out(value);
    for (char& c : out)
        if (c == '\r' || c == '\n')
            c = ' ';
    return out;
}

} // namespace

IniDocument IniDocument::Parse(std::string_view text) {
    IniDocument doc;
    doc.lines_ = SplitLines(text);
    return doc;
}

std::optional<std::string> IniDocument::Get(std::string_view section, std::string_view key) const {
    bool inSection = false;
    bool sectionSeen = false;
    for (const std::string& line : lines_) {
        if (auto name = SectionName(line)) {
            if (inSection)
                return std::nullopt; // only the first section of that name counts
            inSection = !sectionSeen && EqualsIgnoringCase(*name, section);
            sectionSeen = sectionSeen || inSection;
            continue;
        }
        if (!inSection)
            continue;
        if (auto kv = ParseKeyValue(line); kv && EqualsIgnoringCase(kv->key, key))
            return std::string(kv->value);
    }
    return std::nullopt;
}

void IniDocument::Set(std::string_view section, std::string_view key, std::string_view value) {
    const std::string entry = std::string(key) + "=" + OneLine(value);
    size_t sectionLine = lines_.size();
    size_t insertAt = lines_.size();
    for (size_t i = 0; i < lines_.size(); ++i) {
        if (auto name = SectionName(lines_[i])) {
            if (sectionLine != lines_.size())
                break; // end of our section
            if (EqualsIgnoringCase(*name, section)) {
                sectionLine = i;
                insertAt = i + 1;
            }
            continue;
        }
        if (sectionLine == lines_.size())
            continue;
        if (auto kv = ParseKeyValue(lines_[i]); kv && EqualsIgnoringCase(kv->key, key)) {
            lines_[i] = entry;
            return;
        }
        if (!Trim(lines_[i]).empty())
            insertAt = i + 1; // new keys go after the section's last non-blank line
    }
    if (sectionLine == lines_.size()) {
        if (!lines_.empty() && !Trim(lines_.back()).empty())
            lines_.emplace_back();
        lines_.push_back(std::string(1, '[').append(section).append("]"));
        lines_.push_back(entry);
        return;
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), entry);
}

std::string IniDocument::Serialize() const {
    std::string out;
    for (const std::string& line : lines_) {
        out += line;
        out += '\n';
    }
    return out;
}

} // namespace siteherald
