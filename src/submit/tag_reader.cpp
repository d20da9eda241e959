#include "tag_reader.h"

#include "core/ascii.h"

#include <array>

namespace siteherald {

namespace {

constexpr size_t npos = std::string_view::npos;

enum CharClass : unsigned char { kOther = 0, kSpace = 1, kSlash = 2, kGt = 4, kEquals = 8 };

constexpr std::array<unsigned char, 256> MakeClasses() {
    std::array<unsigned char, 256> table{};
    for (const char c : {' ', '\t', '\n', '\r', '\f'})
        table[static_cast<unsigned char>(c)] = kSpace;
    table['/'] = kSlash;
    table['>'] = kGt;
    table['='] = kEquals;
    return table;
}
constexpr std::array<unsigned char, 256> kClasses = MakeClasses();

inline unsigned char ClassOf(char c) {
    return kClasses[static_cast<unsigned char>(c)];
}

inline bool IsAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Elements whose contents are text up to their own end tag.
constexpr std::string_view kRawTextElements[] = {"script", "style", "title", "textarea"};

// The input types that are not a one-line text box.
constexpr std::string_view kOtherInputTypes[] = {
    "hidden", "password", "checkbox", "radio", "submit", "reset", "button", "image",         "file",
    "date",   "time",     "number",   "range", "color",  "month", "week",   "datetime-local"};

} // namespace

bool Tag::Is(std::string_view lowerName) const {
    return EqualsIgnoringCase(name, lowerName);
}

const TagAttribute* Tag::Find(std::string_view lowerName) const {
    for (const TagAttribute& attribute : attributes)
        if (EqualsIgnoringCase(attribute.name, lowerName))
            return &attribute;
    return nullptr;
}

const Tag* TagReader::Next() {
    while (at_ < page_.size()) {
        const size_t lt = page_.find('<', at_);
        if (lt == npos || lt + 1 >= page_.size())
            break;
        const char next = page_[lt + 1];
        if (IsAsciiLetter(next) ||
            (next == '/' && lt + 2 < page_.size() && IsAsciiLetter(page_[lt + 2]))) {
            if (!ReadTag(lt))
                break; // cut off by the end of the page
            if (!tag_.closing)
                for (const std::string_view raw : kRawTextElements)
                    if (tag_.Is(raw)) {
                        SkipRawText(raw);
                        break;
                    }
            return &tag_;
        }
        if (page_.compare(lt + 1, 3, "!--") == 0) {
            const size_t close = page_.find("-->", lt + 2);
            at_ = close == npos ? page_.size() : close + 3;
        } else if (next == '!' || next == '?' || next == '/') {
            const size_t gt = page_.find('>', lt + 1);
            at_ = gt == npos ? page_.size() : gt + 1;
        } else {
            at_ = lt + 1; // a "<" in text
        }
    }
    at_ = page_.size();
    return nullptr;
}

bool TagReader::ReadTag(size_t lt) {
    const std::string_view page = page_;
    const size_t size = page.size();
    tag_.begin = lt;
    tag_.closing = page[lt + 1] == '/';
    tag_.attributes.clear();
    size_t i = lt + (tag_.closing ? 2 : 1);
    const size_t nameBegin = i;
    while (i < size && ClassOf(page[i]) == kOther)
        ++i;
    tag_.name = page.substr(nameBegin, i - nameBegin);
    for (;;) {
        while (i < size && (ClassOf(page[i]) & (kSpace | kSlash)))
            ++i;
        if (i >= size)
            return false;
        if (page[i] == '>')
            break;
        TagAttribute& attribute = tag_.attributes.emplace_back();
        attribute.begin = i++; // a leading "=" belongs to the name
        while (i < size && ClassOf(page[i]) == kOther)
            ++i;
        attribute.name = page.substr(attribute.begin, i - attribute.begin);
        size_t j = i;
        while (j < size && ClassOf(page[j]) == kSpace)
            ++j;
        attribute.valueBegin = attribute.end = i;
        if (j < size && page[j] == '=') {
            ++j;
            while (j < size && ClassOf(page[j]) == kSpace)
                ++j;
            if (j >= size)
                return false;
            const char quote = page[j];
            if (quote == '"' || quote == '\'') {
                const size_t close = page.find(quote, j + 1);
                if (close == npos)
                    return false;
                attribute.quote = quote;
                attribute.valueBegin = j + 1;
                attribute.value = page.substr(j + 1, close - j - 1);
                i = close + 1;
            } else {
                attribute.valueBegin = j;
                i = j;
                while (i < size && !(ClassOf(page[i]) & (kSpace | kGt)))
                    ++i;
                attribute.value = page.substr(j, i - j);
            }
            attribute.end = i;
        }
    }
    if (tag_.closing)
        tag_.attributes.clear();
    tag_.end = i + 1;
    at_ = tag_.end;
    return true;
}

void TagReader::SkipRawText(std::string_view lowerName) {
    for (size_t at = page_.find("</", at_); at != npos; at = page_.find("</", at + 2)) {
        const size_t after = at + 2 + lowerName.size();
        if (after < page_.size() &&
            EqualsIgnoringCase(page_.substr(at + 2, lowerName.size()), lowerName) &&
            (ClassOf(page_[after]) & (kSpace | kSlash | kGt))) {
            at_ = at;
            return;
        }
    }
    at_ = page_.size();
}

FieldKind FieldKindOf(const Tag& tag) {
    if (tag.closing)
        return FieldKind::None;
    if (tag.Is("textarea"))
        return FieldKind::TextArea;
    if (!tag.Is("input"))
        return FieldKind::None;
    // As in a browser, a type it does not know ("textbox", "email/") is a text box too.
    const TagAttribute* type = tag.Find("type");
    if (type != nullptr)
        for (const std::string_view other : kOtherInputTypes)
            if (EqualsIgnoringCase(type->value, other))
                return FieldKind::None;
    return FieldKind::TextBox;
}

} // namespace siteherald
