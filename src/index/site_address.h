#pragma once

#include <string>
#include <string_view>

namespace siteherald {

// The site's address as an absolute one: blanks around it dropped, "https://" before a bare
// host name, "/" after an address without a path.
std::string SiteBase(std::string_view site);

// The scheme and authority of an address: "https://www.example.org" of
// "https://www.example.org/a/b.html".
std::string AddressOrigin(std::string_view address);

// `ref` read as a link on the page at `base`: absolute addresses as they are, "//host/..."
// with base's scheme, "/path" on base's origin, anything else beside base's last segment.
std::string ResolveAddress(std::string_view base, std::string_view ref);

} // namespace siteherald
