#pragma once

#include "abortable_wait.h"

#include <functional>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace siteherald {

struct TcpConnectResult {
    int fd = -1;   // a connected non-blocking socket, or -1
    int error = 0; // errno of the last address tried (ETIMEDOUT when the wait timed out)
    bool aborted = false;
};

// Connects a non-blocking TCP socket to the first of `addresses` that accepts, in order.
// `wait` waits on the socket for `events` and says why it stopped waiting; an abort ends
// the attempt at once.
TcpConnectResult ConnectToAny(const std::vector<sockaddr_storage>& addresses,
                              const std::function<SocketWait(int fd, short events)>& wait);

} // namespace siteherald
