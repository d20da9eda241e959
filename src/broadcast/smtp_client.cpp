#include "smtp_client.h"

#include "broadcast_errors.h"
#include "message_format.h"
#include "reply_code.h"

#include <optional>

namespace siteherald {

void T_SMTP::ReadReply(std::chrono::milliseconds timeout) {
    std::optional<std::string> line = ReadLine(timeout);
    const std::string first = line.value_or("");
    const int code = ReplyCode(first);
    if (code < 0)
        throw EProtocolError(
            "SMTP", 999, line ? "Unreadable reply: " + first : "The server closed the connection");
    LastReplyCode = code;
    LastReplyText = first.size() > 4 ? first.substr(4) : "";
    while (line && line->size() > 3 && (*line)[3] == '-')
        line = ReadLine(timeout);
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

void T_SMTP::Transaction() {
    Login();
    LocalHost = LocalHostName();
    ReadReply(Timeouts.reply);
    if (LastReplyCode != 220) // 421 and 554 turn the client away
        throw EProtocolError("SMTP", static_cast<uint16_t>(LastReplyCode), LastReplyText);
    SendCommand("HELO " + LocalHost);
    Expect(300, Timeouts.reply);
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
