#pragma once

#include "credentials.h"
#include "net/connection.h"
#include "net/tcp_connect.h"
#include "transport_security.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace siteherald {

struct TcpTimeouts {
    std::chrono::milliseconds connect{30'000};
    std::chrono::milliseconds reply{300'000};   // greeting and command replies
    std::chrono::milliseconds dataEnd{600'000}; // the reply to the end of a message
};

// The blocking TCP base of the mail and news clients: one connection at a time, plain or TLS,
// lines of text out, reply lines in. Every wait has a time-out, and Abort ends any wait from
// another thread.
class T_TcpIp {
public:
    explicit T_TcpIp(const ServicePorts& ports);
    virtual ~T_TcpIp();
    T_TcpIp(const T_TcpIp&) = delete;
    T_TcpIp& operator=(const T_TcpIp&) = delete;

    // "host", "host:port", "[v6-address]" or "[v6-address]:port"; without a port the one the
    // security uses (DefaultPort).
    std::string Hostname;
    TcpTimeouts Timeouts;
    TransportSecurity Security = TransportSecurity::None;
    ServerLogin Credentials; // sent only over an encrypted connection

    // Resolves Hostname and connects, closing any open connection first, and starts TLS when
    // the security asks for it from the first byte. Throws ETcpIpError when the name cannot
    // be resolved, ESocketError when no connection can be made, ESecurityError when TLS fails
    // or, before connecting, when Credentials are set with Security None.
    void Login();
    // Closes the connection.
    void Logout();
    bool LoggedIn() const { return connection_ != nullptr; }
    bool Encrypted() const { return encrypted_; }

    // Starts TLS on the open plain connection (after the server agreed to STARTTLS) and
    // verifies the server's certificate and host name. Throws ESecurityError when the server
    // sent anything beyond its agreement, or the handshake or the verification fails.
    void StartTls();
    // "host:port" of the server connected to, for messages.
    const std::string& ServerName() const { return serverName_; }

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
    void WaitFor(Connection::Want want, std::chrono::steady_clock::time_point deadline,
                 const char* waitingFor, std::chrono::milliseconds timeout);
    SocketWait WaitFor(int fd, short events, std::chrono::steady_clock::time_point deadline);

    ServicePorts ports_;
    std::unique_ptr<Connection> connection_;
    bool encrypted_ = false;
    std::string tlsHost_;
    std::string serverName_;
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
