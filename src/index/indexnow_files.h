#pragma once

#include "core/line_file.h"

#include <chrono>
#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace siteherald {

// IndexNow allows keys of 8 to 128 characters of a-z, A-Z, 0-9 and '-'.
bool ValidIndexNowKey(std::string_view key);

// 32 characters of a-z0-9 from the system's random source. Throws std::runtime_error when
// it gives none.
std::string NewIndexNowKey();

// indexnow.dat: one line a host, "host TAB key TAB key location" (the location empty when
// it is SITE/KEY.txt). Lines of another shape are skipped.
struct IndexNowKeyRecord {
    std::string host;
    std::string key;
    std::string keyLocation;
};
std::vector<IndexNowKeyRecord> ParseKeyRecords(const LineList& lines);
LineList KeyRecordLines(const std::vector<IndexNowKeyRecord>& records);

// A site's ledger: for each address, the lastmod it had and the time (UTC,
// 2026-12-07T11:40:00Z) of its last accepted submission. One line an address, "address TAB
// lastmod TAB accepted"; lines of another shape are skipped.
struct LedgerEntry {
    std::string lastmod;
    std::string accepted;
};
using Ledger = std::map<std::string, LedgerEntry>;
Ledger ParseLedger(const LineList& lines);
LineList LedgerLines(const Ledger& ledger);

// "indexnow-www.example.org.ledger": the host lower-cased, anything but a-z0-9.- as '_'.
std::string LedgerFileName(const std::string& host);

// A lastmod as the ledger keeps it: control characters (tabs, line ends) as spaces.
std::string LedgerText(std::string_view text);

// Retry-After: delay-seconds or an HTTP date (IMF-fixdate), as a wait from `now`; a date
// already past is no wait. Nothing when the value is neither.
std::optional<std::chrono::seconds> ParseRetryAfter(std::string_view value, std::time_t now);

// A JSON string literal: quotes, backslashes and control characters escaped, bytes that are
// not UTF-8 as U+FFFD.
std::string JsonString(std::string_view text);

// The request body: {"host": ..., "key": ..., "keyLocation": ..., "urlList": [...]}.
std::string IndexNowBody(const std::string& host, const std::string& key,
                         const std::string& keyLocation, const std::vector<std::string>& urls);

// "200 OK", "403 Forbidden: the key is not valid ...", or the code and the server's reason.
std::string IndexNowStatusText(int status, const std::string& reason);

} // namespace siteherald
