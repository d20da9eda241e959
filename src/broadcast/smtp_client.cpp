#include "smtp_client.h"

#include "broadcast_errors.h"
#include "core/base64.h"
#include "message_format.h"
#include "reply_code.h"

#include <optional>

namespace siteherald {

namespace {

// Replies longer than this are read to their end, the lines past it dropped.
constexpr size_t kMaxReplyLines = 1000;

} // namespace

void T_SMTP::ReadReply(std::chrono::milliseconds timeout) {
    std::optional<std::string> line = ReadLine(timeout);
    const std::string first = line.value_or("");
    const int code = ReplyCode(first);
    if (code < 0)
        throw EProtocolError(
            "SMTP", 999, line ? "Unreadable reply: " + first : "The server closed the connection");
    LastReplyCode = code;
    LastReplyText = first.size() > 4 ? first.substr(4) : "";
    replyLines_.assign(1, first);
    while (line && line->size() > 3 && (*line)[3] == '-') {
        line = ReadLine(timeout);
        if (line && replyLines_.size() < kMaxReplyLines)
            replyLines_.push_back(*line);
    }
}

void T_SMTP::Expect(int below, std::chrono::milliseconds timeout) {
    ReadReply(timeout);
    if (LastReplyCode >= below)
        throw EProtocolError("SMTP", static_cast<uint16_t>(LastReplyCode), LastReplyText);
}

void T_SMTP::Action() {
    if (Recipients.empty() || MessageLines.empty() || EnvelopeSender.empty())
        return;
    try {
        Transaction();
    } catch (...) {
        Logout(); // a failed transaction leaves no connection behind
        throw;
    }
}

SmtpCapabilities T_SMTP::Hello() {
    SendCommand("EHLO " + LocalHost);
    ReadReply(Timeouts.reply);
    if (LastReplyCode < 300)
        return ParseEhloReply(replyLines_);
    if (LastReplyCode != 500 && LastReplyCode != 502)
        throw EProtocolError("SMTP", static_cast<uint16_t>(LastReplyCode), LastReplyText);
    // A server that does not know EHLO offers no extension: HELO does when nothing more is
    // needed, else the checks that follow name what is missing.
    if (!Credentials.Wanted() && (Security != TransportSecurity::StartTls || Encrypted())) {
        SendCommand("HELO " + LocalHost);
        Expect(300, Timeouts.reply);
    }
    return {};
}

void T_SMTP::Greet() {
    if (Security == TransportSecurity::None) {
        SendCommand("HELO " + LocalHost);
        Expect(300, Timeouts.reply);
        return;
    }
    SmtpCapabilities offered = Hello();
    if (!Encrypted() && (Security == TransportSecurity::StartTls ||
                         (Security == TransportSecurity::Auto && offered.startTls))) {
        if (!offered.startTls)
            throw ESecurityError("The mail server " + ServerName() + " does not offer STARTTLS");
        SendCommand("STARTTLS");
        ReadReply(Timeouts.reply);
        if (LastReplyCode != 220)
            throw ESecurityError("The mail server " + ServerName() + " refused STARTTLS: " +
                                 std::to_string(LastReplyCode) + " " + LastReplyText);
        StartTls();
        // What the server said before TLS may have been changed on the way: ask again.
        offered = Hello();
    }
    if (Credentials.Wanted())
        Authenticate(offered);
}

void T_SMTP::ExpectAuthStep(int code) {
    ReadReply(Timeouts.reply);
    if (LastReplyCode == code)
        return;
    // The text of a 334 is the server's challenge, a part of the exchange: never shown.
    throw ESecurityError("Authentication failed: " +
                         (LastReplyCode == 334
                              ? std::string("334 (the server asked for more than the password)")
                              : std::to_string(LastReplyCode) + " " + LastReplyText) +
                         " (mail server " + ServerName() + ", user " + Credentials.user + ")");
}

void T_SMTP::Authenticate(const SmtpCapabilities& offered) {
    if (!Encrypted())
        throw ESecurityError("The mail server " + ServerName() +
                             " does not offer STARTTLS: the password is never sent unencrypted");
    const std::string& user = Credentials.user;
    const std::string& password = Credentials.password;
    if (offered.OffersAuth("PLAIN")) {
        SendCommand("AUTH PLAIN " + Base64(std::string(1, '\0') + user + '\0' + password));
        ExpectAuthStep(235);
    } else if (offered.OffersAuth("LOGIN")) {
        SendCommand("AUTH LOGIN");
        ExpectAuthStep(334);
        SendCommand(Base64(user));
        ExpectAuthStep(334);
        SendCommand(Base64(password));
        ExpectAuthStep(235);
    } else {
        std::string mechanisms;
        for (const std::string& mechanism : offered.authMechanisms)
            mechanisms += " " + mechanism;
        throw ESecurityError("The mail server " + ServerName() +
                             " offers no password login (AUTH PLAIN or LOGIN)" +
                             (mechanisms.empty() ? "" : "; it offers AUTH" + mechanisms));
    }
}

void T_SMTP::Transaction() {
    Login();
    LocalHost = LocalHostName();
    ReadReply(Timeouts.reply);
    if (LastReplyCode != 220) // 421 and 554 turn the client away
        throw EProtocolError("SMTP", static_cast<uint16_t>(LastReplyCode), LastReplyText);
    Greet();
    SendCommand("MAIL FROM: <" + NthAddress(EnvelopeSender, 1).value_or("") + ">");
    Expect(300, Timeouts.reply);
    // A refused recipient fails the send with the server's reason; the message still goes to
    // the recipients that were accepted.
    std::optional<EProtocolError> refused;
    bool accepted = false;
    for (const std::string& line : Recipients) {
        for (int n = 1;; ++n) {
            const auto address = NthAddress(line, n);
            if (!address)
                break;
            SendCommand("RCPT TO: <" + *address + ">");
            ReadReply(Timeouts.reply);
            if (LastReplyCode < 300)
                accepted = true;
            else if (!refused)
                refused.emplace("SMTP", static_cast<uint16_t>(LastReplyCode), LastReplyText);
        }
    }
    if (refused && !accepted)
        throw *refused;
    SendCommand("DATA");
    ReadReply(Timeouts.reply);
    if (LastReplyCode == 354) {
        std::string data;
        for (const std::string& line : TransparentLines(MessageLines))
            data += line + "\r\n";
        SendText(data + ".\r\n");
        ReadReply(Timeouts.dataEnd);
    } else if (LastReplyCode < 300) {
        // Only 354 lets the message go out; anything else must not count as sent.
        throw EProtocolError("SMTP", static_cast<uint16_t>(LastReplyCode),
                             "Unexpected answer to DATA: " + LastReplyText);
    }
    if (LastReplyCode >= 300)
        throw EProtocolError("SMTP", static_cast<uint16_t>(LastReplyCode), LastReplyText);
    // The message is accepted; the answer to QUIT no longer matters.
    SendCommand("QUIT");
    try {
        ReadReply(Timeouts.reply);
    } catch (const ETcpIpError&) {
    }
    Logout();
    if (refused)
        throw *refused;
}

} // namespace siteherald
