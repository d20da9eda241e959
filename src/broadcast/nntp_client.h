#pragma once

#include "tcp_ip.h"

#include <string>
#include <vector>

namespace siteherald {

// Posts one article to an NNTP server.
class T_NNTP : public T_TcpIp {
public:
    T_NNTP() : T_TcpIp(kNntpPorts) {}

    std::vector<std::string> MessageLines; // header and body, as composed

    // Connects, reads the greeting and switches to reader mode.
    void Login();
    // Says QUIT when connected, then closes.
    void Logout();
    // POST, the article, "."; connects first when needed. Throws EProtocolError on a reply
    // of 400 or more.
    void Post();

private:
    void ReadReply(std::chrono::milliseconds timeout);
};

} // namespace siteherald
