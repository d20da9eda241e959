#pragma once

#include <string>
#include <string_view>

namespace siteherald {

// The root ("http://host") and directory ("http://host/path/") of a submission address,
// against which the page's relative links are made absolute. An https address keeps https.
struct LinkBase {
    std::string submission;
    std::string root;
    std::string directory;
    std::string document; // the submission address without its query, for "?..." addresses
    std::string self;     // the page's own address, for "#" links; empty leaves them alone
};
LinkBase MakeLinkBase(std::string_view submissionUrl, std::string_view pageAddress = {});

// Makes the line's double-quoted <a href="...">, <img src="..."> and action="..." addresses
// absolute ("?..." against the submission address itself). Addresses with a scheme or starting with
// "//" stay as they are, and so do "#" addresses unless the base names the page's own address; an
// empty action becomes the submission address itself.
std::string FixLinks(std::string_view line, const LinkBase& base);

// The same on a line in place.
void FixLinksInPlace(std::string& text, const LinkBase& base);

// Replaces the first occurrence of `search` (which must be present) in text.
void SearchAndReplace(std::string& text, std::string_view search, std::string_view replacement);

} // namespace siteherald
