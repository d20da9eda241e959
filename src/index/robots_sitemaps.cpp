#include "robots_sitemaps.h"

#include "core/ascii.h"
#include "site_address.h"

#include <algorithm>

namespace siteherald {

namespace {

std::string_view Trim(std::string_view text) {
    return TrimmedAscii(text, " \t\r\n\f\v");
}

} // namespace

std::vector<std::string> RobotsSitemaps(std::string_view robots, std::string_view robotsUrl) {
    if (robots.substr(0, 3) == "\xEF\xBB\xBF")
        robots.remove_prefix(3);
    std::vector<std::string> sitemaps;
    while (!robots.empty()) {
        const size_t end = robots.find_first_of("\r\n");
        std::string_view line = robots.substr(0, end);
        robots.remove_prefix(end == std::string_view::npos ? robots.size() : end + 1);
        line = line.substr(0, line.find('#'));
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos ||
            !EqualsIgnoringCase(Trim(line.substr(0, colon)), "sitemap"))
            continue;
        const std::string_view value = Trim(line.substr(colon + 1));
        if (value.empty())
            continue;
        std::string address = ResolveAddress(robotsUrl, value);
        if (std::find(sitemaps.begin(), sitemaps.end(), address) == sitemaps.end())
            sitemaps.push_back(std::move(address));
    }
    return sitemaps;
}

} // namespace siteherald
