#pragma once

#include "net/tcp_connect.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace siteherald {

struct TcpTimeouts {
    std::chrono::milliseconds connect{30'000};
    std::chrono::milliseconds reply{300'000};   // greeting and command replies
    std::chrono::milliseconds dataEnd{600'000}; // the reply to the end of a message
};

// The blocking TCP base of the mail and news clients: one connection at a time, lines of text
// out, reply lines in. Every wait has a time-out, and Abort ends any wait from another thread.
class T_TcpIp {
public:
    explicit T_TcpIp(uint16_t defaultPort);
    virtual ~T_TcpIp();
    T_TcpIp(const T_TcpIp&) = delete;
    T_TcpIp& operator=(const T_TcpIp&) = delete;

    // "host", "host:port", "[v6-address]" or "[v6-address]:port"; without a port the client's
    // own (25 for mail, 119 for news).
    std::string Hostname;
    TcpTimeouts Timeouts;

    // Resolves Hostname and connects, closing any open connection first. Throws ETcpIpError
    // when the name cannot be resolved, ESocketError when no connection can be made.
    void Login();
    // Closes the connection.
    void Logout();
    bool LoggedIn() const { return socket_ >= 0; }

    // Sends text followed by CR LF.
    void SendCommand(const std::string& text);
    // Sends bytes as they are. A failed send is not reported: it shows as a failed reply read.
    void SendText(const std::string& bytes);
    // Reads one line (CR dropped, LF ends it); nothing when the peer closed the connection or
    // a receive failed. Throws ETimeoutError when no line comes within `timeout`, ETcpIpError
    // on Abort.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);

    // Ends the current wait and every later one with an error, until ClearAbort. Callable
    // from any thread.
    void Abort();
    void ClearAbort();

    int LastReplyCode = 0;
    std::string LastReplyText;

private:
    void Close();
    bool WaitFor(short events, std::chrono::steady_clock::time_point deadline);
    SocketWait WaitFor(int fd, short events, std::chrono::steady_clock::time_point deadline);

    uint16_t defaultPort_;
    int socket_ = -1;
    AbortableWait wait_;
    bool endOfData_ = false;
    std::string buffer_;
};

// Splits a server setting into host and port; nothing when the port is not a number from 1 to
// 65535.
struct ServerAddress {
    std::string host;
    uint16_t port = 0;
};
std::optional<ServerAddress> ParseServerAddress(const std::string& text, uint16_t defaultPort);

} // namespace siteherald
