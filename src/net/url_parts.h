#pragma once

#include <string>
#include <string_view>

namespace siteherald {

struct UrlParts {
    std::string scheme;
    std::string user;
    std::string password;
    std::string host;
    std::string port; // as written; empty when the address names none
    std::string path;
};

// Splits an address the way the HTTP client reads its Url and Location values: "scheme://"
// or a leading "http:" / "mailto:" / "/", then authority (user:password@host:port) and path.
UrlParts SplitUrl(std::string_view url);

// The last path segment that names the document fetched: "document.htm" for "" and "/",
// else the text after the last "/" (a trailing "/" removed, at most 255 characters, cut at
// the first "?").
std::string DocumentName(std::string_view path);

} // namespace siteherald
