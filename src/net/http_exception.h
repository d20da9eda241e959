#pragma once

#include <stdexcept>
#include <string>

namespace siteherald {

// The HTTP client's failure: a message and a code. Codes: 1 "HTTP component is busy",
// 4 "HTTP line too long"; 400 and above are the response's status code (failures to resolve,
// connect or receive, and an abort, end with 404) and the message is its reason.
class EHttpException : public std::runtime_error {
public:
    EHttpException(const std::string& message, int code)
        : std::runtime_error(message), code_(code) {}
    int code() const { return code_; }

private:
    int code_;
};

} // namespace siteherald
