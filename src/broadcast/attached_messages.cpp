#include "attached_messages.h"

#include <algorithm>

namespace siteherald {

namespace {

constexpr std::string_view kStart = "$START";
constexpr std::string_view kEnd = "$END";

bool StartsWith(const std::string& line, std::string_view prefix) {
    return line.size() >= prefix.size() && line.compare(0, prefix.size(), prefix) == 0;
}

size_t NextBlockStart(const LineList& lines, size_t from) {
    for (size_t i = from; i < lines.size(); ++i)
        if (StartsWith(lines[i], kStart))
            return i;
    return lines.size();
}

MessageBlock BlockAt(const LineList& lines, size_t start, size_t end) {
    MessageBlock block;
    block.start = start;
    block.subject = lines[start].find(kStart) == std::string::npos
                        ? std::string()
                        : lines[start].substr(lines[start].find(kStart) + kStart.size());
    if (end != kNoLine && NextBlockStart(lines, start + 1) < end)
        end = kNoLine; // the end line found belongs to a later block
    block.hasEnd = end != kNoLine;
    block.end = block.hasEnd ? end : NextBlockStart(lines, start + 1);
    return block;
}

} // namespace

LineList MessageBlock::Text(const LineList& lines) const {
    if (start + 2 >= end)
        return {};
    return LineList(lines.begin() + static_cast<long>(start) + 2,
                    lines.begin() + static_cast<long>(end));
}

std::string MessageDisplayName(const std::string& subject) {
    return subject.size() <= 40 ? subject : subject.substr(0, 37) + "...";
}

std::vector<std::string> MessageSubjects(const LineList& lines) {
    std::vector<std::string> subjects;
    for (const std::string& line : lines)
        if (StartsWith(line, kStart))
            subjects.push_back(line.substr(kStart.size()));
    return subjects;
}

bool SubjectTaken(const LineList& attachmentLines, const std::string& subject) {
    const std::string start = std::string(kStart) + subject;
    return std::any_of(attachmentLines.begin(), attachmentLines.end(),
                       [&](const std::string& line) { return StartsWith(line, start); });
}

void AppendMessageBlock(LineList& attachmentLines, const std::string& subject,
                        const std::string& reservedLine, const LineList& text) {
    attachmentLines.push_back(std::string(kStart) + subject);
    attachmentLines.push_back(reservedLine);
    attachmentLines.insert(attachmentLines.end(), text.begin(), text.end());
    attachmentLines.push_back(std::string(kEnd) + subject);
}

bool ReplaceMessageBlock(LineList& attachmentLines, const std::string& subject,
                         const LineList& text) {
    const size_t start = FindLine(attachmentLines, std::string(kStart) + subject);
    if (start == kNoLine)
        return false;
    EraseMessageBlock(attachmentLines,
                      BlockAt(attachmentLines, start,
                              FindLine(attachmentLines, std::string(kEnd) + subject, start + 1)));
    AppendMessageBlock(attachmentLines, subject, "", text);
    return true;
}

std::string MessageKey(const std::string& item) {
    return item.size() > 37 ? item.substr(0, 36) : item;
}

std::optional<MessageBlock> FindMessageForEdit(const LineList& lines, const std::string& item) {
    // A block whose subject is listed as the item, whole or shortened, is the one meant; two
    // long subjects may share the first 36 characters of a shortened name.
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!StartsWith(lines[i], kStart))
            continue;
        const std::string subject = lines[i].substr(kStart.size());
        if (subject == item || MessageDisplayName(subject) == item)
            return BlockAt(lines, i, FindLine(lines, std::string(kEnd) + subject, i + 1));
    }
    const std::string key = MessageKey(item);
    const std::string start = std::string(kStart) + key;
    const std::string end = std::string(kEnd) + key;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find(start) == std::string::npos)
            continue;
        for (size_t j = i + 1; j < lines.size() && !StartsWith(lines[j], kStart); ++j)
            if (lines[j].find(end) != std::string::npos)
                return BlockAt(lines, i, j);
        return BlockAt(lines, i, kNoLine);
    }
    return std::nullopt;
}

std::optional<MessageBlock> FindMessageForRemoval(const LineList& lines, const std::string& item) {
    if (item.size() > 37)
        return FindMessageForEdit(lines, item);
    const size_t start = FindLine(lines, std::string(kStart) + item);
    if (start == kNoLine)
        return std::nullopt;
    return BlockAt(lines, start, FindLine(lines, std::string(kEnd) + item, start + 1));
}

void EraseMessageBlock(LineList& lines, const MessageBlock& block) {
    const size_t last = block.hasEnd ? block.end + 1 : block.end;
    lines.erase(lines.begin() + static_cast<long>(block.start),
                lines.begin() + static_cast<long>(std::min(last, lines.size())));
}

std::optional<std::string> ReturnMessage(const LineList& fileLines, const std::string& subject) {
    const size_t start = FindLine(fileLines, std::string(kStart) + subject);
    if (start == kNoLine)
        return std::nullopt;
    const size_t end = FindLine(fileLines, std::string(kEnd) + subject, start + 1);
    if (end == kNoLine)
        return std::nullopt;
    return JoinText(fileLines, start + 2, end);
}

std::string ImportSubject(const LineList& attachmentLines, const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string file = slash == std::string::npos ? path : path.substr(slash + 1);
    const std::string base = file.size() > 4 ? file.substr(0, file.size() - 4) : std::string();
    std::string digits;
    const auto shown = [&] {
        const std::string whole = base + digits;
        if (whole.size() <= 40)
            return whole;
        // Keep the digits visible, so that the number still tells the messages apart.
        return base.substr(0, 37 - std::min<size_t>(digits.size(), 37)) + digits + "...";
    };
    for (int number = 1; SubjectTaken(attachmentLines, shown()); ++number)
        digits += std::to_string(number);
    return shown();
}

} // namespace siteherald
