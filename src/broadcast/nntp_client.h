#pragma once

#include "tcp_ip.h"

#include <set>
#include <string>
#include <vector>

namespace siteherald {

// Posts one article to an NNTP server.
class T_NNTP : public T_TcpIp {
public:
    T_NNTP() : T_TcpIp(kNntpPorts) {}

    std::vector<std::string> MessageLines; // header and body, as composed

    // Connects, reads the greeting, switches to reader mode, starts TLS as Security asks and
    // logs in when Credentials name a user. Throws ESecurityError when TLS fails or is not
    // offered for starttls, when the password would go unencrypted, or when the server
    // refuses the login.
    void Login();
    // Says QUIT when connected, then closes.
    void Logout();
    // POST, the article, "."; connects first when needed. Throws EProtocolError on a reply
    // of 400 or more.
    void Post();

private:
    // Reads one reply line into LastReplyCode (999 for none or one without a code) and
    // LastReplyText; returns the code.
    int Answer(std::chrono::milliseconds timeout);
    // Answer, then EProtocolError on a reply of 400 or more.
    void ReadReply(std::chrono::milliseconds timeout);
    // CAPABILITIES; nothing when the server answers anything but 101.
    std::set<std::string> Capabilities();
    void Negotiate();
    void Authenticate();
};

} // namespace siteherald
