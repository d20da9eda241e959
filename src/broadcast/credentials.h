#pragma once

#include "identity.h"

#include <cstdint>
#include <optional>
#include <string>

namespace siteherald {

// The user name and password a client logs in with; no user name: no login.
struct ServerLogin {
    std::string user;
    std::string password;
    bool Wanted() const { return !user.empty(); }
};

enum class PasswordFor { Mail, News };

// Where the program keeps its mail and news passwords (the desktop's keyring, the
// environment). The clients never learn where a password came from.
class PasswordSource {
public:
    struct Lookup {
        std::optional<std::string> password;
        std::string problem; // when there is none: why, and how to give one
    };
    virtual ~PasswordSource() = default;
    // `account` is the keyring entry's name (KeyringAccount).
    virtual Lookup Find(PasswordFor server, const std::string& account) = 0;
};

// "smtp://USER@HOST:PORT" or "nntp://USER@HOST:PORT", the name of a password's keyring
// entry; an IPv6 host goes in brackets.
std::string KeyringAccount(PasswordFor server, const std::string& user, const std::string& host,
                           uint16_t port);
// The keyring entry of the mail or news server the identity names, with the port the client
// will use; nothing when the server setting is not a valid address or names no user.
std::optional<std::string> IdentityAccount(PasswordFor server, const Identity& identity);

// The logins a run needs: a server's password is looked up only when a user name is set for
// it and the run sends to it. `problem` is set, and nothing may be sent, when a security
// setting is not known or a password cannot be found.
struct RunLogins {
    ServerLogin mail;
    ServerLogin news;
    std::string problem;
};
RunLogins LookUpLogins(const Identity& identity, bool sendsMail, bool sendsNews,
                       PasswordSource& source);

} // namespace siteherald
