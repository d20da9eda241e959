#include "nntp_client.h"

#include "broadcast_errors.h"
#include "message_format.h"
#include "reply_code.h"

namespace siteherald {

void T_NNTP::ReadReply(std::chrono::milliseconds timeout) {
    const std::string line = ReadLine(timeout).value_or("");
    const int code = ReplyCode(line);
    LastReplyCode = code < 0 ? 999 : code;
    LastReplyText = line.size() > 4 ? line.substr(4) : "";
    if (LastReplyCode >= 400)
        throw EProtocolError("NNTP", static_cast<uint16_t>(LastReplyCode),
                             code < 0 && line.empty() ? "The server closed the connection"
                                                      : LastReplyText);
}

void T_NNTP::Login() {
    T_TcpIp::Login();
    ReadReply(Timeouts.reply);
    SendCommand("MODE READER");
    try {
        ReadReply(Timeouts.reply);
    } catch (const EProtocolError&) {
    }
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
