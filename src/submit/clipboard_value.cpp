#include "clipboard_value.h"

#include "core/pipe_record.h"
#include "core/profiles.h"
#include "core/submission_file.h"

namespace siteherald {

std::string GetClipboard(const LineList& currentFileLines, std::string_view identifier) {
    // An empty identifier marks a field that is not filled; it names no line.
    if (identifier.empty())
        return {};
    size_t first = 0;
    while (first < currentFileLines.size() &&
           currentFileLines[first].find(identifier) == std::string::npos)
        ++first;
    if (first == currentFileLines.size())
        return {};

    const std::string& line = currentFileLines[first];
    const size_t colon = line.find(':');
    std::string singleLine = colon == std::string::npos ? line : line.substr(colon + 1);

    const std::string closing = std::string(1, '$').append(identifier);
    size_t close = first + 1;
    while (close < currentFileLines.size() &&
           currentFileLines[close].find(closing) == std::string::npos)
        ++close;
    if (close == currentFileLines.size())
        return singleLine;

    std::string collected;
    for (size_t i = first + 1; i < close; ++i) {
        const std::string& part = currentFileLines[i];
        if (collected.empty()) {
            collected = part; // blank lines before the first text are dropped this way
        } else {
            collected += "\r\n";
            collected += part;
        }
    }
    return collected;
}

namespace {

std::optional<LineList> FileProfile(const LineList& layoutLines, const LineList& file) {
    return ProfileSection(layoutLines, SubmissionFileProfile(file));
}

} // namespace

std::optional<std::vector<std::string>> CopyableFieldCaptions(const LineList& layoutLines,
                                                              const LineList& currentFileLines) {
    if (currentFileLines.empty())
        return std::nullopt;
    const auto section = FileProfile(layoutLines, currentFileLines);
    if (!section)
        return std::nullopt;
    std::vector<std::string> captions;
    for (const std::string& identifier : SubmissionFileFieldNames(currentFileLines)) {
        if (identifier == "None")
            continue;
        for (const std::string& line : *section) {
            if (PipeField(line, 4) == identifier) {
                captions.push_back(PipeField(line, 3));
                break;
            }
        }
    }
    return captions;
}

std::optional<std::string> CopyableFieldValue(const LineList& layoutLines,
                                              const LineList& currentFileLines,
                                              std::string_view caption) {
    const auto section = FileProfile(layoutLines, currentFileLines);
    if (!section)
        return std::nullopt;
    for (const std::string& line : *section)
        if (PipeField(line, 3) == caption)
            return GetClipboard(currentFileLines, PipeField(line, 4));
    return std::nullopt;
}

} // namespace siteherald
