#include "smtp_capabilities.h"

#include "core/ascii.h"

#include <algorithm>

namespace siteherald {

namespace {

// The words of text, split at spaces and tabs.
std::vector<std::string_view> Words(std::string_view text) {
    std::vector<std::string_view> words;
    for (size_t at = 0; at < text.size();) {
        const size_t start = text.find_first_not_of(" \t", at);
        if (start == std::string_view::npos)
            break;
        const size_t end = std::min(text.find_first_of(" \t", start), text.size());
        words.push_back(text.substr(start, end - start));
        at = end;
    }
    return words;
}

} // namespace

bool SmtpCapabilities::OffersAuth(std::string_view mechanism) const {
    return std::find(authMechanisms.begin(), authMechanisms.end(), mechanism) !=
           authMechanisms.end();
}

SmtpCapabilities ParseEhloReply(const std::vector<std::string>& lines) {
    SmtpCapabilities found;
    for (size_t i = 1; i < lines.size(); ++i) {
        const std::string_view line(lines[i]);
        std::vector<std::string_view> words = Words(line.size() > 4 ? line.substr(4) : "");
        if (words.empty())
            continue;
        std::string keyword = UpperAscii(words[0]);
        if (keyword.starts_with("AUTH=")) {
            words[0].remove_prefix(5);
            keyword = "AUTH";
        } else if (keyword == "AUTH") {
            words.erase(words.begin());
        }
        if (keyword == "STARTTLS") {
            found.startTls = true;
        } else if (keyword == "AUTH") {
            for (const std::string_view word : words) {
                std::string mechanism = UpperAscii(word);
                if (!mechanism.empty() && !found.OffersAuth(mechanism))
                    found.authMechanisms.push_back(std::move(mechanism));
            }
        }
    }
    return found;
}

} // namespace siteherald
