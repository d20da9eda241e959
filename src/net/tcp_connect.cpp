#include "tcp_connect.h"

#include <cerrno>
#include <netinet/in.h>
#include <poll.h>
#include <unistd.h>

namespace siteherald {

TcpConnectResult ConnectToAny(const std::vector<sockaddr_storage>& addresses,
                              const std::function<SocketWait(int fd, short events)>& wait) {
    TcpConnectResult result;
    for (const sockaddr_storage& address : addresses) {
        const int fd = ::socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            result.error = errno;
            continue;
        }
        const socklen_t length =
            address.ss_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
        int err = 0;
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), length) != 0) {
            err = errno;
            if (err == EINPROGRESS) {
                const SocketWait waited = wait(fd, POLLOUT);
                if (waited == SocketWait::Aborted) {
                    ::close(fd);
                    result.aborted = true;
                    return result;
                }
                socklen_t len = sizeof err;
                if (waited == SocketWait::TimedOut)
                    err = ETIMEDOUT;
                else if (::getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len) != 0)
                    err = errno;
            }
        }
        if (err == 0) {
            result.fd = fd;
            result.error = 0;
            return result;
        }
        result.error = err;
        ::close(fd);
    }
    return result;
}

} // namespace siteherald
