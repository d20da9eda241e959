#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace siteherald {

// One attribute of a start tag, as written, with its byte positions in the page.
struct TagAttribute {
    std::string_view name;  // as written (compare without case)
    std::string_view value; // without its quotes; empty when the attribute has no value
    size_t begin = 0;       // first byte of the name
    size_t valueBegin = 0;  // first byte of the value (after an opening quote)
    size_t end = 0;         // just past the attribute (past a closing quote)
    char quote = 0;         // '"', '\'' or 0 (unquoted, or no value)
};

// A start or end tag of a page.
struct Tag {
    std::string_view name; // as written
    size_t begin = 0;      // the "<"
    size_t end = 0;        // just past the ">"
    bool closing = false;  // an end tag, "</name>"
    std::vector<TagAttribute> attributes;

    bool Is(std::string_view lowerName) const;
    // The first attribute of that name (any case), nullptr when there is none.
    const TagAttribute* Find(std::string_view lowerName) const;
};

// Reads the tags of a page in one pass, as a browser's tokenizer does: attribute values in
// double quotes, single quotes or none, any case, any order, "/>" closings, tags over
// several lines. Comments, doctypes and the contents of script, style, title and textarea
// elements hold no tags. A tag cut off by the end of the page is not a tag. Each byte of
// the page is read once.
class TagReader {
public:
    explicit TagReader(std::string_view page) : page_(page) {}

    // The next tag, nullptr at the end of the page. The tag stays valid until the next call.
    const Tag* Next();

private:
    bool ReadTag(size_t lt);
    void SkipRawText(std::string_view lowerName);

    std::string_view page_;
    size_t at_ = 0;
    Tag tag_;
};

// What an input or textarea tag is to the page builder and the scanner: a text box is an
// input without a type or of type text, url, email, search or tel (or of a type browsers
// do not know, which they show as text); passwords, hidden fields, buttons, check boxes,
// dates and the like are not.
enum class FieldKind { None, TextBox, TextArea };
FieldKind FieldKindOf(const Tag& tag);

} // namespace siteherald
