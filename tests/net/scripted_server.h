#pragma once

// A tiny TCP server on 127.0.0.1 for the answers no real server gives on request: it records
// what each connection sent up to the empty line, then plays a fixed script to it.

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace siteherald::testing {

struct ScriptStep {
    enum class Kind { Send, Pause, Hold };
    Kind kind;
    std::string bytes;
    std::chrono::milliseconds pause{0};
};

inline ScriptStep Send(std::string bytes) {
    return {ScriptStep::Kind::Send, std::move(bytes), {}};
}
inline ScriptStep Pause(std::chrono::milliseconds ms) {
    return {ScriptStep::Kind::Pause, {}, ms};
}
// Keeps the connection open without a further byte until the client closes it.
inline ScriptStep Hold() {
    return {ScriptStep::Kind::Hold, {}, {}};
}

using Script = std::vector<ScriptStep>;

inline sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// Listens on 127.0.0.1 (port chosen by the system); `backlog` 0 with one unaccepted
// connection makes every later connect hang.
inline int ListenOnLoopback(int backlog, int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, backlog) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        std::abort();
    port = ntohs(address.sin_port);
    return fd;
}

class ScriptedServer {
public:
    // Connection n plays scripts[n]; the last script repeats for any later connection.
    explicit ScriptedServer(std::vector<Script> scripts) : scripts_(std::move(scripts)) {
        listenFd_ = ListenOnLoopback(16, port_);
        if (::pipe(stopPipe_) != 0)
            std::abort();
        thread_ = std::thread([this] { Run(); });
    }
    explicit ScriptedServer(Script script)
        : ScriptedServer(std::vector<Script>{std::move(script)}) {}
    ~ScriptedServer() {
        const char stop = 's';
        [[maybe_unused]] const ssize_t n = ::write(stopPipe_[1], &stop, 1);
        thread_.join();
        ::close(listenFd_);
        ::close(stopPipe_[0]);
        ::close(stopPipe_[1]);
    }
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    int port() const { return port_; }
    std::string url(const std::string& path = "/") const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }
    // What each connection sent, up to and including its empty line.
    std::vector<std::string> requests() const {
        std::lock_guard lock(mutex_);
        return requests_;
    }

private:
    // Waits for `fd` (or only for the stop signal when fd < 0); false when stopping.
    bool WaitFor(int fd, int timeoutMs) {
        pollfd fds[2] = {{stopPipe_[0], POLLIN, 0}, {fd, POLLIN, 0}};
        ::poll(fds, fd < 0 ? 1 : 2, timeoutMs);
        return fds[0].revents == 0;
    }

    void Run() {
        for (size_t n = 0;;) {
            if (!WaitFor(listenFd_, -1))
                return;
            const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            const bool go = Serve(fd, scripts_[std::min(n++, scripts_.size() - 1)]);
            ::close(fd);
            if (!go)
                return;
        }
    }

    bool Serve(int fd, const Script& script) {
        std::string request;
        char buffer[4096];
        while (request.find("\r\n\r\n") == std::string::npos) {
            if (!WaitFor(fd, -1))
                return false;
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                break;
            request.append(buffer, static_cast<size_t>(got));
        }
        {
            std::lock_guard lock(mutex_);
            requests_.push_back(request);
        }
        for (const ScriptStep& step : script) {
            switch (step.kind) {
            case ScriptStep::Kind::Send:
                ::send(fd, step.bytes.data(), step.bytes.size(), MSG_NOSIGNAL);
                break;
            case ScriptStep::Kind::Pause:
                if (!WaitFor(-1, static_cast<int>(step.pause.count())))
                    return false;
                break;
            case ScriptStep::Kind::Hold:
                for (;;) {
                    if (!WaitFor(fd, -1))
                        return false;
                    if (::recv(fd, buffer, sizeof buffer, 0) <= 0)
                        break;
                }
                break;
            }
        }
        return true;
    }

    std::vector<Script> scripts_;
    int listenFd_ = -1;
    int port_ = 0;
    int stopPipe_[2] = {-1, -1};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A listener that never accepts and whose queue is full: a connect to it neither succeeds
// nor fails, like a host that drops every packet.
class FullBacklogListener {
public:
    FullBacklogListener() {
        listenFd_ = ListenOnLoopback(0, port_);
        fillerFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_in address = Loopback(port_);
        if (::connect(fillerFd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            std::abort();
    }
    ~FullBacklogListener() {
        ::close(fillerFd_);
        ::close(listenFd_);
    }
    FullBacklogListener(const FullBacklogListener&) = delete;
    FullBacklogListener& operator=(const FullBacklogListener&) = delete;

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

private:
    int listenFd_ = -1;
    int fillerFd_ = -1;
    int port_ = 0;
};

} // namespace siteherald::testing
