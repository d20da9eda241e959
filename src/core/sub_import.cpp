#include "sub_import.h"

namespace siteherald {

namespace {

constexpr size_t kMinimumLines = 14;

} // namespace

std::optional<SubFileContents> ReadSubFile(const LineList& lines, std::string& problem) {
    const size_t n = lines.size();
    if (n < kMinimumLines) {
        problem = "it has " + std::to_string(n) + " lines; a submission file has at least " +
                  std::to_string(kMinimumLines);
        return std::nullopt;
    }
    SubFileContents contents;
    const std::pair<const char*, size_t> singles[] = {
        {"title", 1},     {"url", 2},      {"email", n - 13}, {"name", n - 12},
        {"addre", n - 7}, {"city", n - 6}, {"busna", n - 5},  {"phone", n - 4}};
    for (const auto& [name, at] : singles)
        contents.singles.emplace_back(name, lines[at]);

    static constexpr const char* kSections[] = {"desc1", "keywo", "desc2", "desc3"};
    static constexpr const char* kMarkers[] = {"$MEMO2$", "$MEMO3$", "$MEMO4$", "$MEMO7$"};
    size_t at = 3;
    for (size_t s = 0; s < 4; ++s) {
        contents.sections[s].first = kSections[s];
        while (at < n - 1 && lines[at] != kMarkers[s])
            contents.sections[s].second.push_back(lines[at++]);
        if (at >= n - 1) {
            problem = std::string("the line ") + kMarkers[s] + " is missing";
            return std::nullopt;
        }
        ++at; // the marker
    }
    while (at < n - 13 && at != n - 1)
        contents.message.push_back(lines[at++]);
    return contents;
}
} // namespace siteherald
