#include "page_builder.h"

#include "clipboard_value.h"
#include "core/ascii.h"
#include "core/pipe_record.h"
#include "link_fixer.h"
#include "tag_reader.h"

#include <algorithm>
#include <unordered_map>

namespace siteherald {

namespace {

constexpr size_t npos = std::string::npos;

struct FieldRule {
    std::string name;
    std::string identifier;
};

std::vector<FieldRule> ReadFieldRules(const LineList& seRecordList) {
    std::vector<FieldRule> rules;
    for (size_t j = 1; j < seRecordList.size(); ++j) {
        FieldRule rule{PipeField(seRecordList[j], 1), PipeField(seRecordList[j], 2)};
        if (!rule.name.empty()) // an empty name would take every field of the page
            rules.push_back(std::move(rule));
    }
    return rules;
}

// The first rule, in record order, whose name begins the field's name (so the record's
// "url" also fills a page's "url2").
const FieldRule* RuleFor(const std::vector<FieldRule>& rules, std::string_view fieldName) {
    for (const FieldRule& rule : rules)
        if (StartsWithIgnoringCase(fieldName, rule.name))
            return &rule;
    return nullptr;
}

// Bytes [begin, end) of the page replaced by `insert`.
struct Edit {
    size_t begin;
    size_t end;
    std::string insert;
};

// The edits that put a value into a field tag: a text box's own value attribute is
// replaced; without one, ` value="..." ` follows the name attribute (an unquoted name keeps
// the blank after it, and a name that ends the tag gets it before the ">"). A text area
// gets the value in front of its text.
void AddValueEdit(std::vector<Edit>& edits, std::string_view page, const Tag& tag, FieldKind kind,
                  const TagAttribute& name, const std::string& value) {
    const std::string escaped = EscapeHtml(value);
    if (kind == FieldKind::TextArea) {
        edits.push_back({tag.end, tag.end, escaped});
    } else if (const TagAttribute* old = tag.Find("value")) {
        edits.push_back({old->begin, old->end, std::string(old->name) + "=\"" + escaped + "\""});
    } else {
        size_t at = name.end;
        if (name.quote == 0 && at < page.size() && page[at] != '>')
            ++at;
        edits.push_back({at, at, " value=\"" + escaped + "\" "});
    }
}

// Builds the filled page's lines from the page's bytes, a "\n" of the page starting a new
// line. A line the edits leave whole is moved from the page's lines, not copied.
class LineWriter {
public:
    LineWriter(std::string_view page, LineList& source)
        : page_(page), source_(source), lineEnd_(std::min(page.find('\n'), page.size())) {
        lines_.reserve(source.size());
        lines_.emplace_back();
    }

    // Bytes [from, to) of the page.
    void Copy(size_t from, size_t to) {
        while (from < to) {
            while (from > lineEnd_) {
                ++line_;
                lineStart_ = lineEnd_ + 1;
                lineEnd_ = std::min(page_.find('\n', lineStart_), page_.size());
            }
            const size_t end = std::min(lineEnd_, to);
            if (from == lineStart_ && end == lineEnd_ && lines_.back().empty() &&
                source_[line_].size() == lineEnd_ - lineStart_)
                lines_.back() = std::move(source_[line_]);
            else
                lines_.back().append(page_, from, end - from);
            if (to <= lineEnd_)
                return;
            lines_.emplace_back(); // the page's "\n" at lineEnd_
            from = lineEnd_ + 1;
        }
    }
    void Insert(std::string_view text) { lines_.back() += text; }
    LineList Take() { return std::move(lines_); }

private:
    std::string_view page_;
    LineList& source_;
    size_t line_ = 0;
    size_t lineStart_ = 0;
    size_t lineEnd_;
    LineList lines_;
};

// A <base href> right after the first <head> tag, on its line, so the relative addresses
// the rewriting leaves alone (single-quoted, unquoted, scripts, stylesheets) still reach the
// engine from the local copy. Without a <head> tag it goes at the start of the first line.
void InsertBaseHref(LineList& pageLines, const std::string& directory) {
    if (pageLines.empty())
        return;
    const std::string base = "<base href=\"" + EscapeHtml(directory) + "\">";
    for (std::string& line : pageLines) {
        const std::string lower = LowerAscii(line);
        for (size_t head = lower.find("<head"); head != npos;
             head = lower.find("<head", head + 1)) {
            const char after = head + 5 < lower.size() ? lower[head + 5] : '\0';
            if (after != '>' && after != ' ' && after != '\t' && after != '/')
                continue; // <header>, <heading>
            const size_t gt = lower.find('>', head);
            if (gt == npos)
                break;
            line.insert(gt + 1, base);
            return;
        }
    }
    pageLines.front().insert(0, base);
}

} // namespace

void LoadStringListFromMemoryStream(LineList& list, std::string_view stream) {
    list = SplitLines(stream, true);
}

void EditHTML(LineList& pageLines, const LineList& seRecordList, const LineList& currentFileLines,
              std::string_view pageAddress) {
    const LinkBase base = MakeLinkBase(
        seRecordList.empty() ? std::string() : PipeField(seRecordList[0], 2), pageAddress);
    if (pageLines.empty())
        return;
    const std::vector<FieldRule> rules = ReadFieldRules(seRecordList);
    std::unordered_map<std::string, std::string> values;
    const auto valueOf = [&](const std::string& identifier) -> const std::string& {
        auto it = values.find(identifier);
        if (it == values.end())
            it = values.emplace(identifier, GetClipboard(currentFileLines, identifier)).first;
        return it->second;
    };

    // The page is read as one text, so that tags over several lines are read whole.
    size_t total = pageLines.size() - 1;
    for (const std::string& line : pageLines)
        total += line.size();
    std::string page(total, '\n');
    size_t at = 0;
    for (const std::string& line : pageLines) {
        line.copy(page.data() + at, line.size());
        at += line.size() + 1;
    }

    std::vector<Edit> edits;
    TagReader reader(page);
    size_t nl = page.find('\n'); // the first line break not yet passed by a field tag
    while (const Tag* tag = reader.Next()) {
        const FieldKind kind = FieldKindOf(*tag);
        if (kind == FieldKind::None)
            continue;
        if (nl < tag->begin)
            nl = page.find('\n', tag->begin);
        // A field tag over several lines is joined into one line, its pieces glued.
        for (; nl < tag->end; nl = page.find('\n', nl + 1))
            edits.push_back({nl, nl + 1, {}});
        const TagAttribute* name = tag->Find("name");
        const FieldRule* rule = name != nullptr ? RuleFor(rules, name->value) : nullptr;
        if (rule == nullptr)
            continue;
        const std::string& value = valueOf(rule->identifier);
        if (!value.empty())
            AddValueEdit(edits, page, *tag, kind, *name, value);
    }
    // An insertion goes before a removal that starts where it stands.
    std::stable_sort(edits.begin(), edits.end(), [](const Edit& a, const Edit& b) {
        return a.begin != b.begin ? a.begin < b.begin : a.end < b.end;
    });

    LineWriter writer(page, pageLines);
    size_t copied = 0;
    for (const Edit& edit : edits) {
        writer.Copy(copied, edit.begin);
        writer.Insert(edit.insert);
        copied = edit.end;
    }
    writer.Copy(copied, page.size());
    LineList out = writer.Take();

    for (std::string& line : out)
        FixLinksInPlace(line, base);
    pageLines = std::move(out);
    InsertBaseHref(pageLines, base.directory);
}

std::string EscapeHtml(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace siteherald
