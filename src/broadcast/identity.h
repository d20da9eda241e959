#pragma once

#include <string>

namespace siteherald {

// The sender and the servers, from the settings' "Identity" section; a missing or empty name,
// address or server reads as "ERROR".
struct Identity {
    std::string Name;
    std::string Email;
    std::string MailServer; // host or host:port
    std::string NewsServer;
    // Logins and connection security; these read as empty when unset (no login, "auto").
    std::string MailUser;
    std::string NewsUser;
    std::string MailSecurity;
    std::string NewsSecurity;
};

inline constexpr const char* kIdentityUnset = "ERROR";

Identity ReadIdentity();

// What a run is about to do, for its checks.
struct BroadcastChecks {
    bool hasMailingLists = false;
    bool hasNewsgroups = false;
    bool messageSelected = false;
};

// The warning that stops a run, or empty when it may start. The checks run in order and the
// last failing one is the one shown.
std::string BroadcastValidationMessage(const BroadcastChecks& checks, const Identity& identity);

// "\"Name\" <Email>".
std::string FromHeader(const std::string& name, const std::string& email);

} // namespace siteherald
