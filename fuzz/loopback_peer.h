#pragma once

// A one-connection loopback server for the fuzz targets of the mail and news clients: it says
// the fuzz input and keeps what the client sends.

#include "fuzz_check.h"

#include <arpa/inet.h>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>

struct Listener {
    int fd = -1;
    int port = 0;
    Listener() {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        Check(fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
              ::listen(fd, 4) == 0 &&
              ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0);
        port = ntohs(address.sin_port);
    }
};

// Accepts one connection, writes `output`, closes its sending side unless `silent`, then reads
// all the client sends until it closes.
inline void Serve(int listenFd, std::string_view output, bool silent, std::string& received) {
    pollfd ready{listenFd, POLLIN, 0};
    if (::poll(&ready, 1, 5000) != 1)
        return;
    const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    for (size_t sent = 0; sent < output.size();) {
        const ssize_t n = ::send(fd, output.data() + sent, output.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<size_t>(n);
    }
    if (!silent)
        ::shutdown(fd, SHUT_WR);
    char buffer[4096];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        received.append(buffer, static_cast<size_t>(n));
    // A reset instead of a normal close: no TIME_WAIT pile-up over millions of runs.
    const linger reset{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    ::close(fd);
}
