#include "clipboard_value.h"

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

} // namespace siteherald
