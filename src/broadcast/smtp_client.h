#pragma once

#include "tcp_ip.h"

#include <string>
#include <vector>

namespace siteherald {

// Sends one message through an SMTP server.
class T_SMTP : public T_TcpIp {
public:
    T_SMTP() : T_TcpIp(kSmtpPorts) {}

    std::string EnvelopeSender;            // its first address goes into MAIL FROM
    std::vector<std::string> Recipients;   // each line may hold several addresses
    std::vector<std::string> MessageLines; // header and body, as composed
    std::string LocalHost;

    // The whole transaction: connect, HELO, MAIL FROM, a RCPT TO per address, DATA, the
    // message, QUIT. Does nothing without a recipient line, a message line or an envelope
    // sender. Throws EProtocolError when the greeting is not 220, when HELO, MAIL FROM or the
    // message is refused, or when a recipient is refused (after the message has gone to the
    // accepted ones; with none accepted, no DATA is sent).
    void Action();

private:
    void Transaction();
    void ReadReply(std::chrono::milliseconds timeout);
    void Expect(int below, std::chrono::milliseconds timeout);
};

} // namespace siteherald
