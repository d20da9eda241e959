#pragma once

#include <atomic>
#include <chrono>
#include <functional>

namespace siteherald {

enum class SocketWait { Ready, TimedOut, Aborted };

// A wait for a socket that another thread can end at once: poll on the socket and on an
// eventfd that Abort writes to. Shared by the HTTP client and the mail and news connection.
class AbortableWait {
public:
    using Clock = std::chrono::steady_clock;

    AbortableWait();
    ~AbortableWait();
    AbortableWait(const AbortableWait&) = delete;
    AbortableWait& operator=(const AbortableWait&) = delete;

    // Ends the current wait and every later one with Aborted, until Clear. Any thread.
    void Abort();
    void Clear();
    bool Aborted() const { return aborted_.load(); }

    // Waits until `fd` is ready for `events`, the deadline passes, or Abort. `idle`, when
    // given, runs after every poll, which lasts at most `slice`. A poll that fails (other than
    // by a signal) ends the wait as TimedOut: retrying it would only spin.
    SocketWait Wait(int fd, short events, Clock::time_point deadline,
                    const std::function<void()>& idle = {},
                    std::chrono::milliseconds slice = std::chrono::milliseconds(1000));

private:
    int wakeFd_ = -1;
    std::atomic<bool> aborted_{false};
};

} // namespace siteherald
