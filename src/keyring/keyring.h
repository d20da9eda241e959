#pragma once

#include "broadcast/credentials.h"

#include <string>

namespace siteherald {

// The keyring service the program's passwords are stored under; the entries are named by
// KeyringAccount ("smtp://USER@HOST:PORT", "nntp://...").
inline constexpr const char* kKeyringService = "org.siteherald.Siteherald";

struct KeyringResult {
    enum class Status { Done, NotFound, Failed };
    Status status = Status::Failed;
    std::string password; // what a read found
    std::string error;    // Failed: the keyring's reason
    bool Done() const { return status == Status::Done; }
};

// Synchronous calls to the keyring; each waits for the keyring's answer (an unlock prompt
// included) but gives up after `waitMs` milliseconds. Without a Qt application object (as in
// siteherald-cli) one is made for the call.
inline constexpr int kKeyringWaitMs = 120000;
KeyringResult ReadKeyringPassword(const std::string& account, int waitMs = kKeyringWaitMs);
KeyringResult WriteKeyringPassword(const std::string& account, const std::string& password,
                                   int waitMs = kKeyringWaitMs);
KeyringResult DeleteKeyringPassword(const std::string& account, int waitMs = kKeyringWaitMs);

// The passwords of the desktop's sends.
class KeyringPasswordSource : public PasswordSource {
public:
    Lookup Find(PasswordFor server, const std::string& account) override;
};

} // namespace siteherald
