#pragma once

#include <string>

namespace siteherald {

// The three-digit code at the start of a server reply, or -1 when there is none.
inline int ReplyCode(const std::string& line) {
    if (line.size() < 3)
        return -1;
    int code = 0;
    for (int i = 0; i < 3; ++i) {
        if (line[i] < '0' || line[i] > '9')
            return -1;
        code = code * 10 + (line[i] - '0');
    }
    return code;
}

} // namespace siteherald
