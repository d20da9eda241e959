#pragma once

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

namespace siteherald {

class THttpCli;

// One address of a site, as its sitemap lists it.
struct SitemapUrl {
    std::string loc;
    std::string lastmod; // as the sitemap writes it; empty when it gives none
};

// Where a site's addresses come from: the list file when `urlsFile` is set, else the sitemaps
// given, else the ones the site's /robots.txt names in its "Sitemap:" lines, else
// SITE/sitemap.xml.
struct UrlSources {
    std::string site;                  // "https://www.example.org/"
    std::vector<std::string> sitemaps; // given sitemap addresses
    std::string urlsFile;              // a local file of addresses, one a line
};

struct SiteUrls {
    std::vector<SitemapUrl> urls;      // in the order read, each address once
    std::vector<std::string> sitemaps; // every sitemap and sitemap index read, in order
};

class SiteUrlsError : public std::runtime_error {
public:
    enum class Kind {
        Download,  // a sitemap or robots.txt (other than absent) could not be downloaded
        Damaged,   // a sitemap is not readable: bad XML or gzip, over the protocol's limits
        LocalFile, // the list file cannot be read
        Stopped,   // the caller asked to stop
    };
    SiteUrlsError(Kind kind, const std::string& message)
        : std::runtime_error(message), kind(kind) {}
    Kind kind;
};

// What a long download calls back while it runs.
struct FetchHooks {
    std::function<void()> idle;    // called at least every 20 ms while a download waits
    std::function<bool()> stopped; // true: abort the download in progress and stop
    std::function<void(const std::string& text)> status; // "Reading https://.../sitemap.xml"
};

// Makes `client` call hooks.idle while it waits and abort once hooks.stopped() turns true;
// `hooks` must outlive the client's requests.
void FollowFetchHooks(THttpCli& client, const FetchHooks& hooks);

// Downloads and reads the site's addresses (following sitemap indexes, gzip sitemaps read as
// they come), keeping the sitemaps protocol's limits: 50,000 addresses and 50 MB uncompressed
// per sitemap, 50,000 sitemaps per index. Throws SiteUrlsError naming the address or file and
// the reason.
SiteUrls ReadSiteUrls(const UrlSources& sources, const FetchHooks& hooks = {});

} // namespace siteherald
