#pragma once

#include "net/body_stream.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace siteherald::cli {

// A body written straight to a file descriptor (stdout for "get").
class FdStream : public BodyStream {
public:
    explicit FdStream(int fd) : fd_(fd) {}
    void Write(const char* data, size_t size) override {
        while (size > 0) {
            const ssize_t put = ::write(fd_, data, size);
            if (put < 0) {
                if (errno == EINTR)
                    continue;
                throw std::runtime_error(std::strerror(errno));
            }
            data += put;
            size -= static_cast<size_t>(put);
        }
    }

private:
    int fd_;
};

} // namespace siteherald::cli
