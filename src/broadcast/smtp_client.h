#pragma once

#include "smtp_capabilities.h"
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

    // The whole transaction: connect, greet, MAIL FROM, a RCPT TO per address, DATA, the
    // message, QUIT. Does nothing without a recipient line, a message line or an envelope
    // sender. With Security None the greeting is HELO; otherwise EHLO, then STARTTLS when the
    // security asks for it or (auto) the server offers it, then the login when Credentials
    // are set. Throws EProtocolError when the greeting is not 220, when HELO/EHLO, MAIL FROM
    // or the message is refused, or when a recipient is refused (after the message has gone
    // to the accepted ones; with none accepted, no DATA is sent). Throws ESecurityError when
    // TLS is needed and fails or is not offered, when the password would go unencrypted, and
    // when the login is not possible or refused.
    void Action();

private:
    void Transaction();
    void Greet();
    SmtpCapabilities Hello();
    void Authenticate(const SmtpCapabilities& offered);
    void ExpectAuthStep(int code);
    void ReadReply(std::chrono::milliseconds timeout);
    void Expect(int below, std::chrono::milliseconds timeout);

    std::vector<std::string> replyLines_; // every line of the last reply
};

} // namespace siteherald
