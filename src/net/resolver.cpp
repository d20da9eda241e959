#include "resolver.h"

#include <cstring>
#include <mutex>
#include <netdb.h>
#include <sys/eventfd.h>
#include <thread>
#include <unistd.h>

namespace siteherald {

struct Resolution::State {
    std::mutex mutex;
    bool finished = false;
    std::vector<sockaddr_storage> addresses;
    std::string error;
    int eventFd = -1; // owned by the Resolution; -1 once that is gone
};

namespace {

void Lookup(const std::string& host, const std::string& port, int flags,
            std::vector<sockaddr_storage>& out, std::string& error) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = flags;
    addrinfo* list = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), port.c_str(), &hints, &list);
    if (rc != 0) {
        error = rc == EAI_SYSTEM ? std::strerror(errno) : ::gai_strerror(rc);
        return;
    }
    for (addrinfo* a = list; a; a = a->ai_next) {
        sockaddr_storage s{};
        std::memcpy(&s, a->ai_addr, a->ai_addrlen);
        out.push_back(s);
    }
    ::freeaddrinfo(list);
}

} // namespace

Resolution::Resolution() : state_(std::make_shared<State>()) {
    eventFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    state_->eventFd = eventFd_;
}

Resolution::~Resolution() {
    std::lock_guard lock(state_->mutex);
    state_->eventFd = -1;
    if (eventFd_ >= 0)
        ::close(eventFd_);
}

std::shared_ptr<Resolution> Resolution::Start(const std::string& host, const std::string& port) {
    std::shared_ptr<Resolution> r(new Resolution());
    std::vector<sockaddr_storage> numeric;
    std::string ignored;
    Lookup(host, port, AI_NUMERICHOST, numeric, ignored);
    if (!numeric.empty()) {
        r->state_->addresses = std::move(numeric);
        r->state_->finished = true;
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t n = ::write(r->eventFd_, &one, sizeof one);
        return r;
    }
    std::thread([state = r->state_, host, port] {
        std::vector<sockaddr_storage> addresses;
        std::string error;
        Lookup(host, port, 0, addresses, error);
        if (addresses.empty() && error.empty())
            error = "no address found";
        std::lock_guard lock(state->mutex);
        state->addresses = std::move(addresses);
        state->error = std::move(error);
        state->finished = true;
        if (state->eventFd >= 0) {
            const uint64_t one = 1;
            [[maybe_unused]] const ssize_t n = ::write(state->eventFd, &one, sizeof one);
        }
    }).detach();
    return r;
}

bool Resolution::finished() const {
    std::lock_guard lock(state_->mutex);
    return state_->finished;
}

std::vector<sockaddr_storage> Resolution::addresses() const {
    std::lock_guard lock(state_->mutex);
    return state_->addresses;
}

std::string Resolution::error() const {
    std::lock_guard lock(state_->mutex);
    return state_->error;
}

} // namespace siteherald
