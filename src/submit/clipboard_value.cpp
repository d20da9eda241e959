#include "clipboard_value.h"

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

// The field definitions of the file's profile, as the field form shows them.
std::optional<std::vector<FieldDefinition>> FileFields(const LineList& layoutLines,
                                                       const LineList& file) {
    const auto rows = ReadProfileRows(layoutLines, SubmissionFileProfile(file));
    if (!rows)
        return std::nullopt;
    std::vector<FieldDefinition> fields;
    for (const auto& row : *rows)
        fields.insert(fields.end(), row.begin(), row.end());
    return fields;
}

} // namespace

std::optional<std::vector<std::string>> CopyableFieldCaptions(const LineList& layoutLines,
                                                              const LineList& currentFileLines) {
    if (currentFileLines.empty())
        return std::nullopt;
    const auto fields = FileFields(layoutLines, currentFileLines);
    if (!fields)
        return std::nullopt;
    std::vector<std::string> captions;
    for (const std::string& identifier : SubmissionFileFieldNames(currentFileLines)) {
        if (identifier == "None")
            continue;
        for (const FieldDefinition& field : *fields) {
            if (field.autoFill == identifier) {
                captions.push_back(field.name);
                break;
            }
        }
    }
    return captions;
}

std::optional<std::string> CopyableFieldValue(const LineList& layoutLines,
                                              const LineList& currentFileLines,
                                              std::string_view caption) {
    const auto fields = FileFields(layoutLines, currentFileLines);
    if (!fields)
        return std::nullopt;
    for (const FieldDefinition& field : *fields)
        if (field.name == caption)
            return GetClipboard(currentFileLines, field.autoFill);
    return std::nullopt;
}

} // namespace siteherald
