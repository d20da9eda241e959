#include "abortable_wait.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace siteherald {

AbortableWait::AbortableWait() : wakeFd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {}

AbortableWait::~AbortableWait() {
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

void AbortableWait::Abort() {
    aborted_ = true;
    const uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(wakeFd_, &one, sizeof one);
}

void AbortableWait::Clear() {
    uint64_t count = 0;
    while (::read(wakeFd_, &count, sizeof count) > 0) {
    }
    aborted_ = false;
}

SocketWait AbortableWait::Wait(int fd, short events, Clock::time_point deadline,
                               const std::function<void()>& idle, std::chrono::milliseconds slice) {
    for (;;) {
        if (aborted_)
            return SocketWait::Aborted;
        const auto now = Clock::now();
        if (now >= deadline)
            return SocketWait::TimedOut;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1;
        pollfd fds[2] = {{fd, events, 0}, {wakeFd_, POLLIN, 0}};
        const int n = ::poll(fds, 2, static_cast<int>(std::min<long long>(left, slice.count())));
        const int error = errno;
        if (idle)
            idle();
        if (aborted_)
            return SocketWait::Aborted;
        if (n < 0 && error != EINTR)
            return SocketWait::TimedOut;
        if (n > 0 && fds[0].revents != 0)
            return SocketWait::Ready;
    }
}

} // namespace siteherald
