#pragma once

#include "site_urls.h"

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace siteherald {

// Every request a run makes is appended to this file in the data folder.
inline constexpr const char* kIndexNowLog = "indexnow.log";

// One IndexNow submission of a site's new and changed pages.
struct IndexNowRequest {
    UrlSources sources;
    bool all = false;        // every address, changed or not
    std::string key;         // replaces the host's stored key when not empty
    std::string keyLocation; // where the key file is served, when not SITE/KEY.txt
    std::string endpoint;    // empty: the "IndexNow"/"Endpoint" setting
    std::string dataDir;     // indexnow.dat, the ledgers, KEY.txt and indexnow.log
};

enum class IndexNowOutcome {
    Done,            // every request accepted (200/202), or nothing to submit
    SitemapFailed,   // a sitemap or robots.txt could not be downloaded or read
    LocalFileFailed, // the list file, a ledger or indexnow.dat cannot be read or written
    KeyNotServed,    // the key file is not served with the key
    EndpointRefused, // 400/403/422, 429 to the last try, unreachable, or another answer
    Stopped,         // the caller asked to stop
};

struct IndexNowReport {
    IndexNowOutcome outcome = IndexNowOutcome::Done;
    std::string message;                   // the reason, when not Done
    std::vector<std::string> sitemaps;     // the sitemaps read
    std::vector<std::string> requestLines; // "Submitted N addresses to ENDPOINT: 200 OK", ...
    size_t newCount = 0;                   // never accepted before
    size_t changedCount = 0;               // lastmod differs from the one last accepted
    size_t unchanged = 0;
    size_t otherHosts = 0;
    size_t submitted = 0; // accepted by the endpoint
    std::string host;
    std::string key;
    std::string keyFile;  // the KEY.txt written into the data folder
    std::string keyUrl;   // where the key file must be served
    bool keyLive = false; // the key file was found there holding the key
};

struct IndexNowHooks : FetchHooks {
    std::function<void(const std::string& line)> request;    // after each request
    std::function<void(size_t done, size_t total)> progress; // addresses submitted so far
    // Waits before a retry after 429; the default sleeps, calling `idle` and `stopped`.
    std::function<void(std::chrono::milliseconds)> wait;
};

// Reads the site's addresses, picks the new and changed ones, makes sure the key file is
// served, and submits them to the endpoint, at most 10,000 a request; updates the ledger
// with what was accepted and appends every request to indexnow.log.
IndexNowReport RunIndexNow(const IndexNowRequest& request, const IndexNowHooks& hooks = {});

} // namespace siteherald
