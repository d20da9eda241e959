#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace siteherald {

// The sitemaps a robots.txt names in its "Sitemap:" lines, in order and each once: the field
// name in any case, blanks around name and value, CR LF or LF, a leading byte order mark,
// "#" comments. Relative values are resolved against the robots.txt address.
std::vector<std::string> RobotsSitemaps(std::string_view robots, std::string_view robotsUrl);

} // namespace siteherald
