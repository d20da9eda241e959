#pragma once

#include <string>
#include <vector>

namespace siteherald {

// The addresses of a plain list file, one a line, in order: blank lines and "#" comment
// lines skipped, blanks around an address dropped. Throws SiteUrlsError (LocalFile) when
// the file cannot be read or lists more than the sitemaps limit of 50,000 addresses.
std::vector<std::string> ReadUrlListFile(const std::string& path);

} // namespace siteherald
