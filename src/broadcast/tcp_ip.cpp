#include "tcp_ip.h"

#include "broadcast_errors.h"
#include "net/resolver.h"
#include "net/tcp_connect.h"

#include <poll.h>

namespace siteherald {

namespace {

using Clock = std::chrono::steady_clock;

constexpr size_t kMaxReplyLine = 64 * 1024;

std::string Seconds(std::chrono::milliseconds duration) {
    const auto ms = duration.count();
    return ms % 1000 == 0 ? std::to_string(ms / 1000) + " s" : std::to_string(ms) + " ms";
}

} // namespace

std::optional<ServerAddress> ParseServerAddress(const std::string& text, uint16_t defaultPort) {
    ServerAddress result{text, defaultPort};
    std::string port;
    if (!text.empty() && text.front() == '[') {
        const size_t close = text.find(']');
        if (close == std::string::npos)
            return std::nullopt;
        result.host = text.substr(1, close - 1);
        if (close + 1 < text.size()) {
            if (text[close + 1] != ':')
                return std::nullopt;
            port = text.substr(close + 2);
            if (port.empty())
                return std::nullopt;
        }
    } else if (const size_t colon = text.find(':');
               colon != std::string::npos && text.find(':', colon + 1) == std::string::npos) {
        result.host = text.substr(0, colon);
        port = text.substr(colon + 1);
        if (port.empty())
            return std::nullopt;
    }
    if (!port.empty()) {
        unsigned long value = 0;
        for (const char c : port) {
            if (c < '0' || c > '9' || port.size() > 5)
                return std::nullopt;
            value = value * 10 + static_cast<unsigned long>(c - '0');
        }
        if (value == 0 || value > 65535)
            return std::nullopt;
        result.port = static_cast<uint16_t>(value);
    }
    return result;
}

T_TcpIp::T_TcpIp(const ServicePorts& ports) : ports_(ports) {}

T_TcpIp::~T_TcpIp() {
    Close();
}

void T_TcpIp::Abort() {
    wait_.Abort();
}

void T_TcpIp::ClearAbort() {
    wait_.Clear();
}

SocketWait T_TcpIp::WaitFor(int fd, short events, Clock::time_point deadline) {
    return wait_.Wait(fd, events, deadline);
}

void T_TcpIp::WaitFor(Connection::Want want, Clock::time_point deadline, const char* waitingFor,
                      std::chrono::milliseconds timeout) {
    switch (
        WaitFor(connection_->fd(), want == Connection::Want::Write ? POLLOUT : POLLIN, deadline)) {
    case SocketWait::Aborted:
        throw ETcpIpError("Cancelled");
    case SocketWait::TimedOut:
        throw ETimeoutError(std::string("No ") + waitingFor + " from " + serverName_ + " within " +
                            Seconds(timeout));
    case SocketWait::Ready:
        break;
    }
}

void T_TcpIp::Login() {
    if (Security == TransportSecurity::None && Credentials.Wanted())
        throw ESecurityError(std::string("A login is set for the ") + ports_.kind + " server " +
                             Hostname +
                             ", but its security is \"none\" and the password is never sent "
                             "unencrypted: choose starttls or tls");
    Close();
    const auto server = ParseServerAddress(Hostname, DefaultPort(Security, ports_));
    if (!server || server->host.empty())
        throw ETcpIpError("Couldn't resolve hostname " + Hostname);
    const bool v6 = server->host.find(':') != std::string::npos;
    serverName_ =
        (v6 ? "[" + server->host + "]" : server->host) + ":" + std::to_string(server->port);
    const auto deadline = Clock::now() + Timeouts.connect;
    const auto lookup = Resolution::Start(server->host, std::to_string(server->port));
    const SocketWait resolved = WaitFor(lookup->readyFd(), POLLIN, deadline);
    if (resolved == SocketWait::Aborted)
        throw ETcpIpError("Cancelled");
    const auto addresses =
        resolved == SocketWait::Ready ? lookup->addresses() : std::vector<sockaddr_storage>{};
    if (addresses.empty())
        throw ETcpIpError("Couldn't resolve hostname " + Hostname);
    const TcpConnectResult connected = ConnectToAny(
        addresses, [&](int fd, short events) { return WaitFor(fd, events, deadline); });
    if (connected.aborted)
        throw ETcpIpError("Cancelled");
    if (connected.fd < 0)
        throw ESocketError(static_cast<uint16_t>(connected.error), serverName_);
    connection_ = MakePlainConnection(connected.fd);
    tlsHost_ = server->host;
    endOfData_ = false;
    buffer_.clear();
    if (UsesImplicitTls(Security, server->port, ports_))
        StartTls();
}

void T_TcpIp::StartTls() {
    if (!connection_ || encrypted_)
        throw ESecurityError("TLS with " + serverName_ + " failed: not connected");
    // Bytes that came before the handshake are not protected by it: acting on them would let
    // someone on the path add replies to the encrypted session.
    if (!buffer_.empty()) {
        Close();
        throw ESecurityError("TLS with " + serverName_ +
                             " failed: the server sent more than its answer to STARTTLS");
    }
    std::string error;
    connection_ = UpgradeToTls(std::move(connection_), tlsHost_, error);
    if (!connection_)
        throw ESecurityError("TLS with " + serverName_ + " failed: " + error);
    const auto deadline = Clock::now() + Timeouts.connect;
    for (;;) {
        const Connection::Result r = connection_->Handshake();
        if (!r.error.empty()) {
            Close();
            throw ESecurityError("TLS with " + serverName_ + " failed: " + r.error);
        }
        if (r.want == Connection::Want::Nothing)
            break;
        WaitFor(r.want, deadline, "TLS handshake", Timeouts.connect);
    }
    encrypted_ = true;
}

void T_TcpIp::Logout() {
    Close();
}

void T_TcpIp::Close() {
    connection_.reset();
    encrypted_ = false;
    buffer_.clear();
}

void T_TcpIp::SendCommand(const std::string& text) {
    SendText(text + "\r\n");
}

void T_TcpIp::SendText(const std::string& bytes) {
    size_t sent = 0;
    const auto deadline = Clock::now() + Timeouts.reply;
    while (connection_ && !endOfData_ && sent < bytes.size()) {
        const Connection::Result r = connection_->Write(bytes.data() + sent, bytes.size() - sent);
        if (r.bytes > 0) {
            sent += static_cast<size_t>(r.bytes);
        } else if (r.want != Connection::Want::Nothing) {
            if (WaitFor(connection_->fd(), r.want == Connection::Want::Write ? POLLOUT : POLLIN,
                        deadline) != SocketWait::Ready)
                endOfData_ = true;
        } else {
            endOfData_ = true;
        }
    }
}

std::optional<std::string> T_TcpIp::ReadLine(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    size_t scanned = 0;
    for (;;) {
        const size_t lf = buffer_.find('\n', scanned);
        if (lf != std::string::npos) {
            std::string line;
            line.reserve(lf);
            for (size_t i = 0; i < lf; ++i)
                if (buffer_[i] != '\r')
                    line += buffer_[i];
            buffer_.erase(0, lf + 1);
            return line;
        }
        scanned = buffer_.size();
        if (buffer_.size() > kMaxReplyLine)
            throw ETcpIpError("The server sent a reply line longer than 64 KiB");
        if (!connection_ || endOfData_)
            return std::nullopt;
        char chunk[4096];
        const Connection::Result r = connection_->Read(chunk, sizeof chunk);
        if (r.bytes > 0) {
            buffer_.append(chunk, static_cast<size_t>(r.bytes));
            continue;
        }
        if (r.want != Connection::Want::Nothing) {
            WaitFor(r.want, deadline, "answer", timeout);
            continue;
        }
        endOfData_ = true;
        return std::nullopt;
    }
}

} // namespace siteherald
