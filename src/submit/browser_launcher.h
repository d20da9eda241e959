#pragma once

#include "core/prompter.h"

#include <optional>
#include <string>

namespace siteherald {

// The text between two marks, with the positions of the marks held in 8 bits as the
// browser conversation always did: a start mark at a position that is a multiple of 256
// counts as absent. No start mark: from the start; no end mark: at most 254 characters.
std::string ExtractBetween(const std::string& text, const std::optional<std::string>& startMark,
                           const std::optional<std::string>& endMark);

// The address in scheme + host + path form: "http:" and "///" stand in for what is missing,
// and the scheme is lower-cased ("search.example/a" gives "http:///search.example/a").
std::string NormalizeURL(const std::string& address);

// The default browser's program: the "Browsers" setting named by Browsers/Default, "ERROR"
// when none is stored.
std::string DefaultBrowserPath();

// Hands addresses to a browser program: starts ServiceApplication with the address as its
// argument, without a shell.
class WwwDde {
public:
    std::string ServiceApplication;

    // True when the browser started with the address. An empty ServiceApplication gives false
    // without a message; a program that cannot be started shows
    // "<path> could not be found.  Please check the browser configuration under Options."
    bool OpenURL(const std::string& address, Prompter& ui);
};

} // namespace siteherald
