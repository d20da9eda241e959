#include "nntp_capabilities.h"

#include "core/ascii.h"

namespace siteherald {

std::set<std::string> ParseNntpCapabilities(const std::vector<std::string>& lines) {
    std::set<std::string> labels;
    for (const std::string& line : lines) {
        // A line of the list that starts with a dot comes dot-stuffed.
        const size_t start = line.starts_with("..") ? 1 : 0;
        const size_t end = line.find_first_of(" \t", start);
        std::string label =
            UpperAscii(line.substr(start, end == std::string::npos ? end : end - start));
        if (!label.empty())
            labels.insert(std::move(label));
    }
    return labels;
}

} // namespace siteherald
