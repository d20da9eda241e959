#include "form_scanner.h"

#include "core/ascii.h"

#include <optional>

namespace siteherald {

namespace {

constexpr size_t npos = std::string::npos;

size_t CountOccurrences(std::string_view lower, std::string_view what) {
    size_t count = 0;
    for (size_t at = lower.find(what); at != npos; at = lower.find(what, at + what.size()))
        ++count;
    return count;
}

// Removes every blank of a run that directly follows `mark` (after) or precedes it.
std::string RemoveBlanksAround(const std::string& line, char mark, bool after) {
    std::string out;
    out.reserve(line.size());
    if (after) {
        for (size_t i = 0; i < line.size(); ++i) {
            out += line[i];
            if (line[i] == mark)
                while (i + 1 < line.size() && line[i + 1] == ' ')
                    ++i;
        }
        return out;
    }
    size_t pendingBlanks = 0;
    for (const char c : line) {
        if (c == ' ') {
            ++pendingBlanks;
            continue;
        }
        if (c != mark)
            out.append(pendingBlanks, ' ');
        pendingBlanks = 0;
        out += c;
    }
    out.append(pendingBlanks, ' ');
    return out;
}

// The value after " type=" or " name=" whose "=" ends at s (the first character after it).
std::string AttributeValue(const std::string& tag, size_t s) {
    size_t start = s;
    size_t end = npos;
    if (s < tag.size() && tag[s] == '"') {
        start = s + 1;
        end = tag.find('"', start);
        if (end == start)
            end = tag.find(' ', start);
    } else {
        end = tag.find(' ', start);
    }
    if (end == start)
        end = tag.find('>', start);
    if (end == npos || end < start)
        return {};
    return tag.substr(start, end - start);
}

// The field tag starting after the "<" at p of formLines[j]: to its ">" (joining the next
// lines when it runs over), at most kMaxTag characters.
std::string TagAt(const LineList& formLines, size_t j, size_t p) {
    std::string tag = formLines[j].substr(p, kMaxTag);
    for (size_t k = j + 1; tag.find('>') == npos && k < formLines.size() && tag.size() < kMaxTag;
         ++k)
        tag += formLines[k].substr(0, kMaxTag - tag.size());
    if (const size_t gt = tag.find('>'); gt != npos)
        tag.resize(gt);
    return tag;
}

// The first occurrence of a text at or after an offset that only grows: found again only
// once the offset has passed it, so a line is searched once however many tags it holds.
class NextOccurrence {
public:
    NextOccurrence(std::string_view text, std::string what) : text_(text), what_(std::move(what)) {}
    size_t From(size_t offset) {
        if (!known_ || (next_ != npos && next_ < offset)) {
            next_ = text_.find(what_, offset);
            known_ = true;
        }
        return next_;
    }

private:
    std::string_view text_;
    std::string what_;
    size_t next_ = npos;
    bool known_ = false;
};

// The field tags of one lower-cased line, read from an offset as if the line had been cut
// there (positions of the cut line count from 1).
class FieldTagFinder {
public:
    explicit FieldTagFinder(std::string_view lower)
        : hidden_(lower, "type=hidden"), open_{{lower, "<input"}, {lower, "<textarea"}},
          close_{{lower, ">input"}, {lower, ">textarea"}} {}

    // Position from 1 in the line cut at `offset`; 0 when no field tag is left.
    size_t Next(size_t offset) {
        const auto relative = [offset](size_t at) { return at == npos ? 0 : at - offset + 1; };
        const size_t h = relative(hidden_.From(offset));
        size_t best = 0;
        for (int k = 0; k < 2; ++k) {
            const size_t p = relative(open_[k].From(offset));
            if (p == 0)
                continue;
            const bool candidate = p > h || relative(close_[k].From(offset)) < h;
            if (candidate && (best == 0 || p < best))
                best = p;
        }
        return best;
    }

private:
    NextOccurrence hidden_;
    NextOccurrence open_[2];
    NextOccurrence close_[2];
};

void DoFields(const LineList& formLines, std::vector<ScannedField>& found) {
    for (size_t j = 0; j < formLines.size(); ++j) {
        // The line is read from an offset instead of cutting it tag by tag.
        const std::string lower = LowerAscii(formLines[j]);
        FieldTagFinder tags(lower);
        size_t offset = 0;
        while (const size_t p = tags.Next(offset)) {
            const std::string tag = TagAt(formLines, j, offset + p);
            const std::string type = GetInfo(tag, 1);
            if (type == "1" || type == "2") {
                const std::string name = GetInfo(tag, 2);
                if (!name.empty())
                    found.push_back({name, type == "1" ? "Text Box" : "Textarea"});
            }
            offset += p;
        }
    }
}

} // namespace

std::string ScannedFieldItem(const ScannedField& field) {
    return field.name + " (" + field.kind + ")";
}

void FixHTML(LineList& scanLines) {
    for (std::string& line : scanLines) {
        if (line.find("< ") != npos)
            line = RemoveBlanksAround(line, '<', true);
        if (line.find(" >") != npos)
            line = RemoveBlanksAround(line, '>', false);
    }
}

size_t FormCount(const LineList& scanLines) {
    size_t count = 0;
    for (const std::string& line : scanLines)
        count += CountOccurrences(LowerAscii(line), "<form");
    return count;
}

std::string GetInfo(const std::string& tag, int what) {
    const std::string lower = LowerAscii(tag);
    if (what == 2) {
        const size_t at = lower.find(" name=");
        return at == npos ? "No Name" : AttributeValue(tag, at + 6);
    }
    if (lower.rfind("input", 0) == 0) {
        const size_t at = lower.find(" type=");
        if (at == npos)
            return "1";
        const std::string type = AttributeValue(lower, at + 6);
        if (type == "text")
            return "1";
        if (type == "radio")
            return "3";
        if (type == "checkbox")
            return "4";
        if (type == "submit")
            return "5";
        if (type == "reset")
            return "6";
        if (type == "hidden")
            return "7";
        return "0";
    }
    return lower.rfind("textarea", 0) == 0 ? "2" : "0";
}

size_t ScannerFieldPos(const std::string& line) {
    const std::string lower = LowerAscii(line);
    return FieldTagFinder(lower).Next(0);
}

namespace {

// Counts the occurrences of a mark that start before a position that only grows.
class MarkCounter {
public:
    MarkCounter(std::string_view text, std::string_view mark)
        : text_(text), mark_(mark), next_(text.find(mark)) {}
    size_t CountBefore(size_t limit) {
        while (next_ != npos && next_ < limit) {
            ++count_;
            next_ = text_.find(mark_, next_ + mark_.size());
        }
        return count_;
    }

private:
    std::string_view text_;
    std::string_view mark_;
    size_t next_;
    size_t count_ = 0;
};

} // namespace

std::vector<ScannedField> CreateFieldData(const LineList& scanLines) {
    std::vector<ScannedField> found;
    size_t remaining = FormCount(scanLines);
    // The lines are read from a position that only moves forward (line i from column `at`),
    // as if each form had been cut out of the page; whether a form lies inside a script is
    // judged on the page as it came.
    std::vector<std::string> lower;
    lower.reserve(scanLines.size());
    for (const std::string& line : scanLines)
        lower.push_back(LowerAscii(line));
    size_t i = 0;
    size_t at = 0;
    size_t opened = 0; // "<script" and "</script" in the lines before i
    size_t closed = 0;
    size_t countedUpTo = 0;
    std::optional<MarkCounter> openInLine;
    std::optional<MarkCounter> closeInLine;
    size_t counterLine = npos;
    const auto nextLine = [&] {
        ++i;
        at = 0;
    };
    while (remaining > 0) {
        size_t formAt = npos;
        while (i < lower.size() && (formAt = lower[i].find("<form", at)) == npos)
            nextLine();
        if (i >= lower.size())
            break;
        for (; countedUpTo < i; ++countedUpTo) {
            opened += CountOccurrences(lower[countedUpTo], "<script");
            closed += CountOccurrences(lower[countedUpTo], "</script");
        }
        if (counterLine != i) {
            openInLine.emplace(lower[i], "<script");
            closeInLine.emplace(lower[i], "</script");
            counterLine = i;
        }
        if (opened + openInLine->CountBefore(formAt) > closed + closeInLine->CountBefore(formAt)) {
            at = formAt + 5; // skip exactly this form
            --remaining;
            continue;
        }
        at = formAt;
        LineList formLines;
        for (;;) {
            if (lower[i].compare(at, 6, "</form") == 0)
                break;
            if (i + 1 >= lower.size())
                break; // the last line is not taken
            const size_t close = lower[i].find("</form", at);
            if (close != npos) {
                formLines.push_back(scanLines[i].substr(at, close - at));
                at = close;
            } else {
                formLines.push_back(scanLines[i].substr(at));
                nextLine();
            }
        }
        DoFields(formLines, found);
        --remaining;
        // The rest of the line after "</form" may hold the next form.
        if (i < lower.size() && lower[i].compare(at, 6, "</form") == 0)
            at += 6;
    }
    return found;
}

std::vector<ScannedField> ScanPage(std::string_view page) {
    LineList lines = SplitLines(page, true);
    FixHTML(lines);
    return CreateFieldData(lines);
}

} // namespace siteherald
