#include "message_format.h"

#include "broadcast_errors.h"
#include "core/line_file.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <netdb.h>
#include <unistd.h>

namespace siteherald {

std::string LocalHostName() {
    static std::mutex mutex;
    static std::string cached;
    const std::lock_guard lock(mutex);
    if (!cached.empty())
        return cached;
    char name[256] = {};
    if (::gethostname(name, sizeof name - 1) != 0 || name[0] == '\0')
        return "127.0.0.1";
    addrinfo hints{};
    hints.ai_flags = AI_CANONNAME;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(name, nullptr, &hints, &found) != 0 || found == nullptr)
        throw ETcpIpError("Couldn't resolve the local host name " + std::string(name));
    cached = found->ai_canonname != nullptr && found->ai_canonname[0] != '\0' ? found->ai_canonname
                                                                              : name;
    ::freeaddrinfo(found);
    return cached;
}

std::optional<std::string> NthAddress(const std::string& text, int n) {
    size_t at = std::string::npos;
    for (int i = 0; i < n; ++i) {
        at = text.find('@', at == std::string::npos ? 0 : at + 1);
        if (at == std::string::npos)
            return std::nullopt;
    }
    const auto separator = [](char c) { return c == ' ' || c == ',' || c == ';'; };
    size_t begin = at;
    while (begin > 0 && !separator(text[begin - 1]))
        --begin;
    size_t end = at;
    while (end < text.size() && !separator(text[end]))
        ++end;
    while (begin < end && (text[begin] == '"' || text[begin] == '(' || text[begin] == '<'))
        ++begin;
    while (end > begin && (text[end - 1] == '"' || text[end - 1] == ')' || text[end - 1] == '>'))
        --end;
    return text.substr(begin, end - begin);
}

std::string MessageDate(std::time_t when) {
    static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::tm local{};
    localtime_r(&when, &local);
    const long offsetMinutes = local.tm_gmtoff / 60;
    char zone[8] = "GMT";
    if (offsetMinutes != 0) {
        const long magnitude = offsetMinutes < 0 ? -offsetMinutes : offsetMinutes;
        std::snprintf(zone, sizeof zone, "%c%02ld%02ld", offsetMinutes < 0 ? '-' : '+',
                      magnitude / 60 % 100, magnitude % 60);
    }
    char text[64];
    std::snprintf(text, sizeof text, "%s, %d %s %d %02d:%02d:%02d %s", kDays[local.tm_wday],
                  local.tm_mday, kMonths[local.tm_mon], local.tm_year + 1900, local.tm_hour,
                  local.tm_min, local.tm_sec, zone);
    return text;
}

std::string MakeMessageId(std::time_t when, const std::string& host) {
    static std::atomic<unsigned> counter{0};
    std::tm local{};
    localtime_r(&when, &local);
    const long long seconds = static_cast<long long>(when) + local.tm_gmtoff;
    return "<" + std::to_string(seconds) + "." + std::to_string(::getpid()) + "." +
           std::to_string(++counter) + "@" + host + ">";
}

std::string HeaderValue(const std::string& value) {
    std::string clean;
    clean.reserve(value.size());
    for (const char c : value)
        if (c != '\r' && c != '\n')
            clean += c;
    return clean;
}

std::vector<std::string> TransparentLines(const std::vector<std::string>& items) {
    std::vector<std::string> lines;
    for (const std::string& item : items) {
        if (item.find_first_of("\r\n") == std::string::npos) {
            lines.push_back(item);
        } else {
            // A trailing line break of an item does not add an empty line.
            for (std::string& line : SplitLines(item))
                lines.push_back(std::move(line));
        }
    }
    for (std::string& line : lines)
        if (!line.empty() && line.front() == '.')
            line.insert(line.begin(), '.');
    return lines;
}

} // namespace siteherald
