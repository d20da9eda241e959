#pragma once

#include <set>
#include <string>
#include <vector>

namespace siteherald {

// The capability labels of an NNTP server's CAPABILITIES list (the lines between the 101
// reply and the "." line): each line's first word in upper case.
std::set<std::string> ParseNntpCapabilities(const std::vector<std::string>& lines);

} // namespace siteherald
