#pragma once

#include <string>
#include <string_view>

namespace siteherald {

// The file:// address of an absolute path, with every byte outside the unreserved set
// percent-encoded, so a browser opens exactly that file.
std::string FileUrl(std::string_view absolutePath);

} // namespace siteherald
