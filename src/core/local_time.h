#pragma once

#include <ctime>
#include <string>

namespace siteherald {

// `when` in local time, written by strftime's `format` in the user's locale.
inline std::string LocalTimeText(std::time_t when, const char* format) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[128];
    const size_t n = std::strftime(text, sizeof text, format, &local);
    return std::string(text, n);
}

} // namespace siteherald
