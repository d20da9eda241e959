#include "cli_passwords.h"

#include "keyring/keyring.h"

#include <cstdlib>

namespace siteherald::cli {

namespace {

// Long enough for an unlock prompt on a desktop; short enough that a machine without a
// Secret Service (no D-Bus session) is not left waiting.
constexpr int kCliKeyringWaitMs = 30000;

} // namespace

PasswordSource::Lookup CliPasswordSource::Find(PasswordFor server, const std::string& account) {
    const char* variable =
        server == PasswordFor::Mail ? "SITEHERALD_MAIL_PASSWORD" : "SITEHERALD_NEWS_PASSWORD";
    if (const char* value = std::getenv(variable))
        return {std::string(value), {}};
    const KeyringResult found = ReadKeyringPassword(account, kCliKeyringWaitMs);
    if (found.Done())
        return {found.password, {}};
    std::string problem = std::string("set ") + variable +
                          ", or store the password in the keyring under the service " +
                          kKeyringService + " as " + account + " (see README)";
    if (found.status == KeyringResult::Status::Failed)
        problem += "; the keyring could not be read: " + found.error;
    return {std::nullopt, problem};
}

} // namespace siteherald::cli
