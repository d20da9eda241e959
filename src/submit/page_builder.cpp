#include "page_builder.h"

#include "clipboard_value.h"
#include "core/ascii.h"
#include "core/pipe_record.h"
#include "link_fixer.h"

#include <unordered_map>

namespace siteherald {

namespace {

constexpr size_t npos = std::string::npos;

// Position (from 0) of the first form tag in a lower-cased line, npos if none.
size_t FirstFormTag(std::string_view lower) {
    const size_t input = lower.find("<input");
    const size_t textarea = lower.find("<textarea");
    return input < textarea ? input : textarea;
}

// Joins a form tag that starts on `line` and ends on a later line of `lines` (from index
// `next` on) into `line`, advancing `next` past the lines taken; `lower` follows `line`.
// Returns the tag's kind, as YesTag does.
std::string JoinFormTag(std::string& line, std::string& lower, LineList& lines, size_t& next) {
    const size_t p = FirstFormTag(lower);
    if (p == npos)
        return {};
    size_t gt = lower.find('>', p);
    while (gt == npos && next < lines.size()) {
        const size_t searchFrom = line.size();
        line += lines[next];
        lower += LowerAscii(lines[next]);
        lines[next].clear();
        ++next;
        gt = lower.find('>', searchFrom);
    }
    if (gt == npos)
        return {};
    const std::string_view tag = std::string_view(lower).substr(p, gt - p + 1);
    return tag.find("<input") != npos ? "input" : "textarea";
}

struct FieldRule {
    std::string quotedName;   // name="field
    std::string unquotedName; // name=field
    std::string lowerName;
    std::string identifier;
};

std::vector<FieldRule> ReadFieldRules(const LineList& seRecordList) {
    std::vector<FieldRule> rules;
    for (size_t j = 1; j < seRecordList.size(); ++j) {
        FieldRule rule;
        rule.lowerName = LowerAscii(PipeField(seRecordList[j], 1));
        rule.quotedName = "name=\"" + rule.lowerName;
        rule.unquotedName = "name=" + rule.lowerName;
        rule.identifier = PipeField(seRecordList[j], 2);
        rules.push_back(std::move(rule));
    }
    return rules;
}

// Removes the first value attribute of the line (the quoted form if there is one), from both
// the line and its lower-case twin.
void RemoveValueAttribute(std::string& line, std::string& lower) {
    size_t v = lower.find("value=\"");
    size_t end = npos;
    if (v != npos) {
        const size_t quote = lower.find('"', v + 7);
        end = quote == npos ? v + 7 : quote + 1;
    } else if ((v = lower.find("value=")) != npos) {
        const size_t blank = lower.find(' ', v);
        if (blank == npos)
            return;
        end = blank + 1;
    } else {
        return;
    }
    line.erase(v, end - v);
    lower.erase(v, end - v);
}

// Puts ` value="..." ` after the field's name in the first <input of the line.
void InsertTextBoxValue(std::string& line, const std::string& lower, const FieldRule& rule,
                        const std::string& value) {
    const size_t off = lower.find("<input");
    if (off == npos)
        return;
    size_t nameAt = lower.find("\"" + rule.lowerName + "\"", off);
    if (nameAt != npos) {
        nameAt += 1;
    } else if ((nameAt = lower.find(rule.unquotedName, off)) != npos) {
        nameAt += 5;
    } else {
        return;
    }
    // After the name and the one character that ends it (closing quote or blank); an
    // unquoted name that ends the tag gets the attribute before the ">", inside the tag.
    size_t cut = nameAt + rule.lowerName.size();
    if (cut < line.size() && line[cut] != '>')
        ++cut;
    line.insert(std::min(cut, line.size()), " value=\"" + EscapeHtml(value) + "\" ");
}

// Puts the value right after the opening <textarea ...> tag.
void InsertTextAreaValue(std::string& line, const std::string& lower, const std::string& value) {
    const size_t tag = lower.find("<textarea");
    if (tag == npos)
        return;
    const size_t gt = lower.find('>', tag);
    if (gt == npos)
        return;
    line.insert(gt + 1, EscapeHtml(value));
}

bool IsFillCandidate(const std::string& kind, const std::string& line) {
    return (kind == "input" && FieldType(line) == "text") || kind == "textarea";
}

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

size_t FieldPos(std::string_view line) {
    const size_t p = FirstFormTag(LowerAscii(line));
    return p == npos ? 0 : p + 1;
}

std::string FieldType(std::string_view line) {
    size_t type = line.find("type=\"");
    size_t skip = 6;
    if (type == npos) {
        type = line.find("type=");
        skip = 5;
    }
    if (type == npos)
        return "text";
    return line.find("text") == type + skip ? "text" : "";
}

std::string YesTag(LineList& pageLines, size_t i) {
    if (i >= pageLines.size())
        return {};
    std::string line = std::move(pageLines[i]);
    std::string lower = LowerAscii(line);
    size_t next = i + 1;
    std::string kind = JoinFormTag(line, lower, pageLines, next);
    pageLines[i] = std::move(line);
    pageLines.erase(pageLines.begin() + static_cast<long>(i) + 1,
                    pageLines.begin() + static_cast<long>(next));
    return kind;
}

void EditHTML(LineList& pageLines, const LineList& seRecordList, const LineList& currentFileLines,
              std::string_view pageAddress) {
    const LinkBase base = MakeLinkBase(
        seRecordList.empty() ? std::string() : PipeField(seRecordList[0], 2), pageAddress);
    const std::vector<FieldRule> rules = ReadFieldRules(seRecordList);
    std::unordered_map<std::string, std::string> values;
    const auto valueOf = [&](const std::string& identifier) -> const std::string& {
        auto it = values.find(identifier);
        if (it == values.end())
            it = values.emplace(identifier, GetClipboard(currentFileLines, identifier)).first;
        return it->second;
    };

    LineList out;
    out.reserve(pageLines.size());
    std::string lower;
    size_t next = 0;
    while (next < pageLines.size()) {
        std::string line = std::move(pageLines[next++]);
        lower.assign(line);
        for (char& c : lower)
            c = LowerAscii(c);
        const std::string kind = JoinFormTag(line, lower, pageLines, next);
        if (!kind.empty() && IsFillCandidate(kind, line)) {
            for (const FieldRule& rule : rules) {
                if (lower.find(rule.quotedName) == npos && lower.find(rule.unquotedName) == npos)
                    continue;
                const std::string& value = valueOf(rule.identifier);
                if (!value.empty()) {
                    RemoveValueAttribute(line, lower);
                    if (kind == "input")
                        InsertTextBoxValue(line, lower, rule, value);
                    else
                        InsertTextAreaValue(line, lower, value);
                    lower = LowerAscii(line);
                }
                break;
            }
        }
        FixLinksInPlace(line, lower, base);
        out.push_back(std::move(line));
    }
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
