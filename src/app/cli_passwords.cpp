#include "cli_passwords.h"

#include <cstdlib>

namespace siteherald::cli {

PasswordSource::Lookup CliPasswordSource::Find(PasswordFor server, const std::string& account) {
    const char* variable =
        server == PasswordFor::Mail ? "SITEHERALD_MAIL_PASSWORD" : "SITEHERALD_NEWS_PASSWORD";
    if (const char* value = std::getenv(variable))
        return {std::string(value), {}};
    return {std::nullopt, std::string("set ") + variable +
                              ", or store the password in the keyring under the service "
                              "org.siteherald.Siteherald as " +
                              account + " (see README)"};
}

} // namespace siteherald::cli
