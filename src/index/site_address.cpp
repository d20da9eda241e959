#include "site_address.h"

#include "core/ascii.h"

#include <cctype>

namespace siteherald {

namespace {

// Length of "scheme:" when `text` starts with "scheme://", else 0.
size_t SchemeLength(std::string_view text) {
    const size_t colon = text.find("://");
    if (colon == std::string_view::npos || colon == 0 || !std::isalpha((unsigned char)text[0]))
        return 0;
    for (size_t i = 1; i < colon; ++i) {
        const char c = text[i];
        if (!std::isalnum((unsigned char)c) && c != '+' && c != '-' && c != '.')
            return 0;
    }
    return colon + 1;
}

} // namespace

std::string SiteBase(std::string_view site) {
    std::string base(TrimmedAscii(site));
    if (SchemeLength(base) == 0)
        base = "https://" + base;
    if (base.find('/', SchemeLength(base) + 2) == std::string::npos)
        base += '/';
    return base;
}

std::string AddressOrigin(std::string_view address) {
    const size_t scheme = SchemeLength(address);
    if (scheme == 0)
        return {};
    const size_t end = address.find_first_of("/?#", scheme + 2);
    return std::string(address.substr(0, end));
}

std::string ResolveAddress(std::string_view base, std::string_view ref) {
    if (SchemeLength(ref) > 0)
        return std::string(ref);
    if (ref.substr(0, 2) == "//")
        return std::string(base.substr(0, SchemeLength(base))) + std::string(ref);
    const std::string origin = AddressOrigin(base);
    if (ref.substr(0, 1) == "/")
        return origin + std::string(ref);
    std::string_view path = base.substr(origin.size());
    path = path.substr(0, path.find_first_of("?#"));
    if (!ref.empty() && ref[0] == '?')
        return origin + std::string(path) + std::string(ref);
    const size_t slash = path.rfind('/');
    const std::string_view dir = slash == std::string_view::npos ? "/" : path.substr(0, slash + 1);
    return origin + std::string(dir) + std::string(ref.substr(ref.substr(0, 2) == "./" ? 2 : 0));
}

} // namespace siteherald
