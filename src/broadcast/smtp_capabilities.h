#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace siteherald {

// What a mail server offers in its answer to EHLO.
struct SmtpCapabilities {
    bool startTls = false;
    std::vector<std::string> authMechanisms; // upper-cased, in the server's order, no repeats

    bool OffersAuth(std::string_view mechanism) const;
};

// Reads the extensions from the lines of a positive EHLO reply, each as received ("250-..."
// and the last "250 ..."). The first line is the greeting and names no extension. Keywords
// and mechanisms are matched without case; both "AUTH PLAIN LOGIN" and the older
// "AUTH=PLAIN LOGIN" list mechanisms.
SmtpCapabilities ParseEhloReply(const std::vector<std::string>& lines);

} // namespace siteherald
