#include "indexnow_files.h"

#include "core/ascii.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <sys/random.h>

namespace siteherald {

namespace {

constexpr std::string_view kKeyAlphabet = "abcdefghijklmnopqrstuvwxyz0123456789";

// Splits at the last two tabs, so the first field (an address) may hold tabs itself.
bool SplitThree(const std::string& line, std::string& a, std::string& b, std::string& c) {
    const size_t second = line.rfind('\t');
    if (second == std::string::npos || second == 0)
        return false;
    const size_t first = line.rfind('\t', second - 1);
    if (first == std::string::npos || first == 0)
        return false;
    a = line.substr(0, first);
    b = line.substr(first + 1, second - first - 1);
    c = line.substr(second + 1);
    return true;
}

bool HasLineBreak(std::string_view text) {
    return text.find_first_of("\r\n") != std::string_view::npos;
}

// Length of the UTF-8 sequence at text[i], or 0 when it is not one.
size_t Utf8Length(std::string_view text, size_t i) {
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char c = byte(i);
    size_t n = 0;
    unsigned min = 0;
    unsigned value = 0;
    if (c >= 0xC2 && c <= 0xDF) {
        n = 2, min = 0x80, value = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        n = 3, min = 0x800, value = c & 0x0F;
    } else if (c >= 0xF0 && c <= 0xF4) {
        n = 4, min = 0x10000, value = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > text.size())
        return 0;
    for (size_t k = 1; k < n; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (byte(i + k) & 0x3F);
    }
    if (value < min || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    return n;
}

int MonthIndex(std::string_view name) {
    static constexpr std::string_view kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    for (int m = 0; m < 12; ++m)
        if (name == kMonths[m])
            return m;
    return -1;
}

bool Digits(std::string_view text, size_t at, size_t count, int& value) {
    if (at + count > text.size())
        return false;
    value = 0;
    for (size_t i = at; i < at + count; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

} // namespace

bool ValidIndexNowKey(std::string_view key) {
    if (key.size() < 8 || key.size() > 128)
        return false;
    for (const char c : key)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c == '-'))
            return false;
    return true;
}

std::string NewIndexNowKey() {
    std::string key;
    while (key.size() < 32) {
        unsigned char bytes[64];
        const ssize_t n = getrandom(bytes, sizeof bytes, 0);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw std::runtime_error(std::string("no random numbers for a new key: ") +
                                     std::strerror(errno));
        // 252 is the largest multiple of 36 under 256: the bytes above it are dropped, so every
        // character is equally likely.
        for (ssize_t i = 0; i < n && key.size() < 32; ++i)
            if (bytes[i] < 252)
                key += kKeyAlphabet[bytes[i] % kKeyAlphabet.size()];
    }
    return key;
}

std::vector<IndexNowKeyRecord> ParseKeyRecords(const LineList& lines) {
    std::vector<IndexNowKeyRecord> records;
    for (const std::string& line : lines) {
        IndexNowKeyRecord r;
        if (SplitThree(line, r.host, r.key, r.keyLocation) && ValidIndexNowKey(r.key) &&
            r.host.find('\t') == std::string::npos)
            records.push_back(std::move(r));
    }
    return records;
}

LineList KeyRecordLines(const std::vector<IndexNowKeyRecord>& records) {
    LineList lines;
    for (const IndexNowKeyRecord& r : records)
        if (!HasLineBreak(r.host + r.keyLocation))
            lines.push_back(r.host + "\t" + r.key + "\t" + LedgerText(r.keyLocation));
    return lines;
}

Ledger ParseLedger(const LineList& lines) {
    Ledger ledger;
    for (const std::string& line : lines) {
        std::string address;
        LedgerEntry entry;
        if (SplitThree(line, address, entry.lastmod, entry.accepted))
            ledger[address] = std::move(entry);
    }
    return ledger;
}

LineList LedgerLines(const Ledger& ledger) {
    LineList lines;
    lines.reserve(ledger.size());
    for (const auto& [address, entry] : ledger)
        if (!HasLineBreak(address))
            lines.push_back(address + "\t" + LedgerText(entry.lastmod) + "\t" +
                            LedgerText(entry.accepted));
    return lines;
}

std::string LedgerFileName(const std::string& host) {
    std::string name = LowerAscii(host);
    for (char& c : name)
        if (!((c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' || c == '-'))
            c = '_';
    return "indexnow-" + name + ".ledger";
}

std::string LedgerText(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (static_cast<unsigned char>(c) < 0x20)
            c = ' ';
    return out;
}

std::optional<std::chrono::seconds> ParseRetryAfter(std::string_view value, std::time_t now) {
    while (!value.empty() && (value.front() == ' ' || value.front() == '\t'))
        value.remove_prefix(1);
    while (!value.empty() && (value.back() == ' ' || value.back() == '\t'))
        value.remove_suffix(1);
    if (value.empty())
        return std::nullopt;
    if (value.find_first_not_of("0123456789") == std::string_view::npos) {
        long long seconds = 0;
        for (const char c : value) {
            seconds = seconds * 10 + (c - '0');
            if (seconds > 365LL * 86400)
                return std::chrono::seconds(365LL * 86400);
        }
        return std::chrono::seconds(seconds);
    }
    // "Sun, 06 Nov 1994 08:49:37 GMT"
    int day = 0, year = 0, hour = 0, minute = 0, second = 0;
    if (value.size() != 29 || value[3] != ',' || value[4] != ' ' || value[7] != ' ' ||
        value[11] != ' ' || value[16] != ' ' || value[19] != ':' || value[22] != ':' ||
        value.substr(25) != " GMT" || !Digits(value, 5, 2, day) || !Digits(value, 12, 4, year) ||
        !Digits(value, 17, 2, hour) || !Digits(value, 20, 2, minute) ||
        !Digits(value, 23, 2, second))
        return std::nullopt;
    const int month = MonthIndex(value.substr(8, 3));
    if (month < 0 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60)
        return std::nullopt;
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    const std::time_t when = timegm(&tm);
    if (when == static_cast<std::time_t>(-1))
        return std::nullopt;
    return std::chrono::seconds(when > now ? std::min<long long>(when - now, 365LL * 86400) : 0);
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            const size_t n = Utf8Length(text, i);
            out += n ? std::string(text.substr(i, n)) : std::string("\\ufffd");
            i += n ? n : 1;
            continue;
        }
        ++i;
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                static constexpr char kHex[] = "0123456789abcdef";
                out += "\\u00";
                out += kHex[c >> 4];
                out += kHex[c & 15];
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string IndexNowBody(const std::string& host, const std::string& key,
                         const std::string& keyLocation, const std::vector<std::string>& urls) {
    std::string body = "{\"host\":" + JsonString(host) + ",\"key\":" + JsonString(key) +
                       ",\"keyLocation\":" + JsonString(keyLocation) + ",\"urlList\":[";
    for (size_t i = 0; i < urls.size(); ++i)
        body += (i ? "," : "") + JsonString(urls[i]);
    return body + "]}";
}

std::string IndexNowStatusText(int status, const std::string& reason) {
    switch (status) {
    case 200:
        return "200 OK";
    case 202:
        return "202 Accepted: received; the key is still to be validated";
    case 400:
        return "400 Bad Request: the endpoint could not read the request";
    case 403:
        return "403 Forbidden: the key is not valid (its key file was not found or does not "
               "hold it)";
    case 422:
        return "422 Unprocessable Entity: addresses not of this host, or a key that does not "
               "match the protocol";
    case 429:
        return "429 Too Many Requests: the endpoint asks to slow down";
    default:
        return std::to_string(status) + (reason.empty() ? "" : " " + reason);
    }
}

} // namespace siteherald
