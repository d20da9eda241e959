#include "url_parts.h"

#include "core/ascii.h"

namespace siteherald {

namespace {

void SplitAuthorityAndPath(std::string_view rest, UrlParts& parts) {
    const size_t slash = rest.find('/');
    const std::string_view authority = rest.substr(0, slash);
    if (slash != std::string_view::npos)
        parts.path = std::string(rest.substr(slash));

    const size_t colon = authority.rfind(':');
    const size_t at = authority.rfind('@');
    if (colon == std::string_view::npos && at == std::string_view::npos) {
        parts.host = std::string(authority);
        return;
    }
    const size_t hostStart = at == std::string_view::npos ? 0 : at + 1;
    const bool portFollows = colon != std::string_view::npos &&
                             (at == std::string_view::npos || colon > at) &&
                             // a bare IPv6 literal without a port has its colons inside [ ]
                             authority.find(']', colon) == std::string_view::npos;
    const size_t hostEnd = portFollows ? colon : authority.size();
    parts.host = std::string(authority.substr(hostStart, hostEnd - hostStart));
    if (portFollows)
        parts.port = std::string(authority.substr(colon + 1));
    if (at != std::string_view::npos) {
        const std::string_view userInfo = authority.substr(0, at);
        const size_t split = userInfo.find(':');
        parts.user = std::string(userInfo.substr(0, split));
        if (split != std::string_view::npos)
            parts.password = std::string(userInfo.substr(split + 1));
    }
}

} // namespace

UrlParts SplitUrl(std::string_view url) {
    UrlParts parts;
    if (url.empty())
        return parts;
    std::string_view rest = url;
    if (const size_t sep = url.find("://"); sep != std::string_view::npos) {
        parts.scheme = std::string(url.substr(0, sep));
        rest = url.substr(sep + 3);
    } else if (url.front() != '/') {
        if (StartsWithIgnoringCase(url, "http:")) {
            parts.scheme = "http";
            if (url.size() > 6 && url[6] != '/') {
                parts.path = std::string(url.substr(5));
                return parts;
            }
            rest = url.size() > 6 ? url.substr(6) : std::string_view();
        } else if (StartsWithIgnoringCase(url, "mailto:")) {
            parts.scheme = "mailto";
            rest = url.substr(url.find(':') + 1);
        }
    } else {
        parts.scheme = "http";
        if (url.size() > 1 && url[1] != '/') {
            parts.path = std::string(url);
            return parts;
        }
        rest = url.substr(1);
    }
    SplitAuthorityAndPath(rest, parts);
    return parts;
}

std::string DocumentName(std::string_view path) {
    if (path.empty() || path == "/")
        return "document.htm";
    if (path.back() == '/')
        path.remove_suffix(1);
    if (const size_t slash = path.rfind('/'); slash != std::string_view::npos)
        path.remove_prefix(slash + 1);
    path = path.substr(0, 255);
    return std::string(path.substr(0, path.find('?')));
}

} // namespace siteherald
