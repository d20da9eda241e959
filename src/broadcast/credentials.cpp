#include "credentials.h"

#include "tcp_ip.h"
#include "transport_security.h"

namespace siteherald {

namespace {

struct ServerSettings {
    const std::string& server;
    const std::string& user;
    const std::string& security;
    const ServicePorts& ports;
};

ServerSettings SettingsOf(PasswordFor server, const Identity& identity) {
    if (server == PasswordFor::Mail)
        return {identity.MailServer, identity.MailUser, identity.MailSecurity, kSmtpPorts};
    return {identity.NewsServer, identity.NewsUser, identity.NewsSecurity, kNntpPorts};
}

} // namespace

std::string KeyringAccount(PasswordFor server, const std::string& user, const std::string& host,
                           uint16_t port) {
    const bool v6 = host.find(':') != std::string::npos;
    return std::string(server == PasswordFor::Mail ? "smtp://" : "nntp://") + user + "@" +
           (v6 ? "[" + host + "]" : host) + ":" + std::to_string(port);
}

std::optional<std::string> IdentityAccount(PasswordFor server, const Identity& identity) {
    const ServerSettings settings = SettingsOf(server, identity);
    const auto security = ParseTransportSecurity(settings.security);
    if (settings.user.empty() || !security)
        return std::nullopt;
    const auto address =
        ParseServerAddress(settings.server, DefaultPort(*security, settings.ports));
    if (!address || address->host.empty())
        return std::nullopt;
    return KeyringAccount(server, settings.user, address->host, address->port);
}

RunLogins LookUpLogins(const Identity& identity, bool sendsMail, bool sendsNews,
                       PasswordSource& source) {
    RunLogins logins;
    for (const PasswordFor server : {PasswordFor::Mail, PasswordFor::News}) {
        if (!(server == PasswordFor::Mail ? sendsMail : sendsNews))
            continue;
        const ServerSettings settings = SettingsOf(server, identity);
        if (!ParseTransportSecurity(settings.security)) {
            logins.problem = std::string("The ") + settings.ports.kind + " server's security \"" +
                             settings.security +
                             "\" is not one of auto, starttls, tls and none. Please choose one "
                             "in message options.";
            return logins;
        }
        const auto account = IdentityAccount(server, identity);
        if (!account)
            continue; // no user name, or an address the send itself will report
        const PasswordSource::Lookup found = source.Find(server, *account);
        if (!found.password) {
            logins.problem = std::string("No password for the ") + settings.ports.kind +
                             " server (" + *account + "): " + found.problem;
            return logins;
        }
        (server == PasswordFor::Mail ? logins.mail : logins.news) = {settings.user,
                                                                     *found.password};
    }
    return logins;
}

} // namespace siteherald
