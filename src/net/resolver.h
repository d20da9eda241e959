#pragma once

#include <memory>
#include <string>
#include <sys/socket.h>
#include <vector>

namespace siteherald {

// A host-name lookup that runs on a thread of its own, so that the waiting side can give
// up (abort, time-out) at once; a lookup given up finishes in the background unseen.
class Resolution {
public:
    // Starts resolving host:port. A numeric address is resolved at once.
    static std::shared_ptr<Resolution> Start(const std::string& host, const std::string& port);
    ~Resolution();

    // Becomes readable (poll) when the lookup has finished.
    int readyFd() const { return eventFd_; }
    bool finished() const;

    // Valid once finished: the addresses, or empty with the reason.
    std::vector<sockaddr_storage> addresses() const;
    std::string error() const;

private:
    struct State;
    Resolution();
    std::shared_ptr<State> state_;
    int eventFd_ = -1;
};

} // namespace siteherald
