#include "site_urls.h"

#include "gunzip_stream.h"
#include "kept_urls.h"
#include "net/http_client.h"
#include "net/http_exception.h"
#include "robots_sitemaps.h"
#include "site_address.h"
#include "sitemap_parser.h"
#include "url_list_file.h"

#include <algorithm>
#include <optional>
#include <unordered_set>

namespace siteherald {

namespace {

using Kind = SiteUrlsError::Kind;

// Google reads the first 500 KiB of a robots.txt; the rest is ignored here too.
constexpr size_t kMaxRobotsBytes = 500 * 1024;

// The first kMaxRobotsBytes of a body; the rest is dropped.
class CappedStream : public BodyStream {
public:
    void Write(const char* data, size_t size) override {
        data_.append(data,
                     std::min(size, kMaxRobotsBytes - std::min(kMaxRobotsBytes, data_.size())));
    }
    std::string data_;
};

// Bytes from the HTTP client through the gzip reader into the sitemap parser, keeping the
// first failure: the client reports a failing stream only as "cannot store the document".
class SitemapSink : public BodyStream {
public:
    explicit SitemapSink(SitemapParser& parser) : gunzip_(parser), parser_(parser) {}
    void Write(const char* data, size_t size) override {
        try {
            gunzip_.Write(data, size);
        } catch (const SiteUrlsError& e) {
            failure_ = e.what();
            throw;
        }
    }
    void Finish() {
        gunzip_.Finish();
        parser_.Finish();
    }
    const std::optional<std::string>& failure() const { return failure_; }

private:
    GunzipStream gunzip_;
    SitemapParser& parser_;
    std::optional<std::string> failure_;
};

class Reader {
public:
    Reader(const FetchHooks& hooks) : hooks_(hooks) {
        http_.Agent = "Siteherald/1.75 (sitemap reader)";
        FollowFetchHooks(http_, hooks_);
    }

    // The sitemaps the site's robots.txt names; none when it has no robots.txt.
    std::vector<std::string> RobotsSitemapsOf(const std::string& site) {
        const std::string robotsUrl = ResolveAddress(site, "/robots.txt");
        Status("Reading " + robotsUrl);
        CappedStream body;
        http_.ReceiveStream = &body;
        http_.MaxBodyBytes = 0; // CappedStream keeps what is read of it
        try {
            http_.Url = robotsUrl;
            http_.Get();
        } catch (const EHttpException&) {
            ThrowIfStopped();
            if (http_.ServerRefused() && (http_.StatusCode() == 404 || http_.StatusCode() == 410))
                return {};
            throw SiteUrlsError(Kind::Download,
                                "Cannot download " + robotsUrl + ": " + http_.FailureReason());
        }
        return RobotsSitemaps(body.data_, robotsUrl);
    }

    SiteUrls Read(std::vector<std::string> pending) {
        SiteUrls result;
        std::unordered_set<std::string> seenSitemaps;
        KeptUrls urls;
        // Depth first, so an index's sitemaps are read where the index stands.
        std::reverse(pending.begin(), pending.end());
        while (!pending.empty()) {
            const std::string address = std::move(pending.back());
            pending.pop_back();
            if (!seenSitemaps.insert(address).second)
                continue;
            ThrowIfStopped();
            result.sitemaps.push_back(address);
            std::vector<std::string> children;
            SitemapParser parser;
            parser.onUrl = [&](SitemapUrl url) {
                url.loc = ResolveAddress(address, url.loc);
                urls.Add(std::move(url));
            };
            parser.onSitemap = [&](std::string sitemap) {
                children.push_back(ResolveAddress(address, sitemap));
            };
            ReadSitemap(address, parser);
            pending.insert(pending.end(), children.rbegin(), children.rend());
        }
        result.urls = urls.Take();
        return result;
    }

private:
    bool Stopping() const { return hooks_.stopped && hooks_.stopped(); }
    void ThrowIfStopped() const {
        if (Stopping())
            throw SiteUrlsError(Kind::Stopped, "Stopped.");
    }
    void Status(const std::string& text) const {
        if (hooks_.status)
            hooks_.status(text);
    }

    void ReadSitemap(const std::string& address, SitemapParser& parser) {
        Status("Reading " + address);
        SitemapSink sink(parser);
        http_.ReceiveStream = &sink;
        // Compressed bytes; the gzip reader holds the uncompressed ones to the same limit.
        http_.MaxBodyBytes = kMaxSitemapBytes;
        try {
            http_.Url = address;
            http_.Get();
            sink.Finish();
        } catch (const EHttpException&) {
            ThrowIfStopped();
            if (sink.failure())
                throw Damaged(address, *sink.failure());
            if (!http_.ServerRefused() && (http_.ContentLength() > kMaxSitemapBytes ||
                                           http_.BytesReceived() > kMaxSitemapBytes))
                throw Damaged(address, "larger than 50 MB, the sitemaps limit");
            throw SiteUrlsError(Kind::Download,
                                "Cannot download " + address + ": " + http_.FailureReason());
        } catch (const SiteUrlsError& e) {
            throw Damaged(address, e.what());
        }
    }

    static SiteUrlsError Damaged(const std::string& address, const std::string& what) {
        return SiteUrlsError(Kind::Damaged, "The sitemap " + address + " is damaged: " + what);
    }

    const FetchHooks& hooks_;
    THttpCli http_;
};

} // namespace

void FollowFetchHooks(THttpCli& client, const FetchHooks& hooks) {
    client.IdleHook = [&client, &hooks] {
        if (hooks.idle)
            hooks.idle();
        if (hooks.stopped && hooks.stopped())
            client.Abort();
    };
}

SiteUrls ReadSiteUrls(const UrlSources& sources, const FetchHooks& hooks) {
    if (!sources.urlsFile.empty()) {
        KeptUrls urls;
        for (std::string& loc : ReadUrlListFile(sources.urlsFile))
            urls.Add({std::move(loc), {}});
        return {urls.Take(), {}};
    }
    Reader reader(hooks);
    const std::string site = SiteBase(sources.site);
    std::vector<std::string> sitemaps;
    for (const std::string& sitemap : sources.sitemaps) // "/news.xml" as on the site
        sitemaps.push_back(sources.site.empty() ? sitemap : ResolveAddress(site, sitemap));
    if (sitemaps.empty()) {
        sitemaps = reader.RobotsSitemapsOf(site);
        if (sitemaps.empty())
            sitemaps.push_back(ResolveAddress(site, "sitemap.xml"));
    }
    return reader.Read(std::move(sitemaps));
}

} // namespace siteherald
