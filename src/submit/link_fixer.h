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
};
LinkBase MakeLinkBase(std::string_view submissionUrl);

// Makes the line's double-quoted <a href="...">, <img src="..."> and action="..." addresses
// absolute. Addresses with a scheme, or starting with "//" or "#", stay as they are; an
// empty action becomes the submission address itself.
std::string FixLinks(std::string_view line, const LinkBase& base);

// Replaces the first occurrence of `search` (which must be present) in text.
void SearchAndReplace(std::string& text, std::string_view search, std::string_view replacement);

} // namespace siteherald
