#include "nntp_client.h"

#include "broadcast_errors.h"
#include "message_format.h"
#include "nntp_capabilities.h"
#include "reply_code.h"

namespace siteherald {

namespace {

constexpr size_t kMaxCapabilityLines = 1000;

} // namespace

int T_NNTP::Answer(std::chrono::milliseconds timeout) {
    const std::string line = ReadLine(timeout).value_or("");
    const int code = ReplyCode(line);
    LastReplyCode = code < 0 ? 999 : code;
    LastReplyText = code < 0 && line.empty() ? "The server closed the connection"
                    : line.size() > 4        ? line.substr(4)
                                             : "";
    return LastReplyCode;
}

void T_NNTP::ReadReply(std::chrono::milliseconds timeout) {
    if (Answer(timeout) >= 400)
        throw EProtocolError("NNTP", static_cast<uint16_t>(LastReplyCode), LastReplyText);
}

std::set<std::string> T_NNTP::Capabilities() {
    SendCommand("CAPABILITIES");
    if (Answer(Timeouts.reply) != 101)
        return {};
    std::vector<std::string> lines;
    for (;;) {
        const auto line = ReadLine(Timeouts.reply);
        if (!line)
            throw EProtocolError("NNTP", 999, "The server closed the connection");
        if (*line == ".")
            return ParseNntpCapabilities(lines);
        if (lines.size() < kMaxCapabilityLines) // a longer list is read to its end, not kept
            lines.push_back(*line);
    }
}

void T_NNTP::Login() {
    T_TcpIp::Login();
    // A connection left open half way would let the next Post skip the login.
    try {
        ReadReply(Timeouts.reply);
        // INN's innd hands the connection to its reader, nnrpd, here; only nnrpd offers
        // STARTTLS.
        SendCommand("MODE READER");
        try {
            ReadReply(Timeouts.reply);
        } catch (const EProtocolError&) {
        }
        if (!Encrypted() && Security != TransportSecurity::None)
            Negotiate();
        if (Credentials.Wanted())
            Authenticate();
    } catch (...) {
        T_TcpIp::Logout();
        throw;
    }
}

void T_NNTP::Negotiate() {
    if (!Capabilities().contains("STARTTLS")) {
        if (Security == TransportSecurity::StartTls)
            throw ESecurityError("The news server " + ServerName() + " does not offer STARTTLS");
        return;
    }
    SendCommand("STARTTLS");
    if (Answer(Timeouts.reply) != 382)
        throw ESecurityError("The news server " + ServerName() + " refused STARTTLS: " +
                             std::to_string(LastReplyCode) + " " + LastReplyText);
    StartTls();
    // The list sent before TLS may have been changed on the way: a client asks again over
    // TLS (RFC 4642) and keeps nothing of the earlier one.
    Capabilities();
}

void T_NNTP::Authenticate() {
    if (!Encrypted())
        throw ESecurityError("The news server " + ServerName() +
                             " does not offer STARTTLS, and the password is never sent "
                             "unencrypted: choose tls if it takes TLS from the first byte "
                             "(usually on port 563)");
    const std::string& user = Credentials.user;
    const std::string& password = Credentials.password;
    if ((user + password).find_first_of("\r\n") != std::string::npos)
        throw ESecurityError("The user name or password for the news server " + ServerName() +
                             " contains a line break");
    SendCommand("AUTHINFO USER " + user);
    if (Answer(Timeouts.reply) == 381) {
        SendCommand("AUTHINFO PASS " + password);
        Answer(Timeouts.reply);
    }
    if (LastReplyCode != 281)
        throw ESecurityError("Authentication failed: " + std::to_string(LastReplyCode) + " " +
                             LastReplyText + " (news server " + ServerName() + ", user " + user +
                             ")");
}

void T_NNTP::Logout() {
    if (LoggedIn()) {
        SendCommand("QUIT");
        try {
            ReadReply(Timeouts.reply);
        } catch (...) {
            T_TcpIp::Logout();
            throw;
        }
    }
    T_TcpIp::Logout();
}

void T_NNTP::Post() {
    if (!LoggedIn())
        Login();
    SendCommand("POST");
    ReadReply(Timeouts.reply);
    std::string article;
    for (const std::string& line : TransparentLines(MessageLines))
        article += line + "\r\n";
    SendText(article + ".\r\n");
    ReadReply(Timeouts.dataEnd);
}

} // namespace siteherald
