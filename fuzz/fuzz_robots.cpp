// A robots.txt read for its Sitemap lines, against a base address given by the first input
// line. Every sitemap found is non-empty, absolute, named once, without blanks around it and
// without a line break (unless the base address holds one).

#include "fuzz_check.h"
#include "index/robots_sitemaps.h"
#include "index/site_address.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace siteherald;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const size_t newline = input.find('\n');
    const std::string site(input.substr(0, newline == std::string_view::npos ? 0 : newline));
    input.remove_prefix(newline == std::string_view::npos ? 0 : newline + 1);

    const std::string base = SiteBase(site);
    Check(base.find("://") != std::string::npos);
    const std::string robotsUrl = ResolveAddress(base, "/robots.txt");
    Check(robotsUrl.ends_with("/robots.txt") && robotsUrl.starts_with(AddressOrigin(base)));

    const auto sitemaps = RobotsSitemaps(input, robotsUrl);
    for (size_t i = 0; i < sitemaps.size(); ++i) {
        const std::string& sitemap = sitemaps[i];
        Check(!sitemap.empty());
        Check(base.find('\r') != std::string::npos ||
              sitemap.find_first_of("\r\n") == std::string::npos);
        Check(sitemap.front() != ' ' && sitemap.back() != ' ' && sitemap.back() != '\t');
        Check(sitemap.find("://") != std::string::npos);
        Check(std::find(sitemaps.begin(), sitemaps.begin() + i, sitemap) == sitemaps.begin() + i);
    }
    return 0;
}
