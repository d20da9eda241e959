#pragma once

#include "net/body_stream.h"
#include "site_urls.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace siteherald {

// The sitemaps protocol's limits: addresses in one sitemap, sitemaps in one index.
inline constexpr size_t kMaxSitemapUrls = 50000;
inline constexpr size_t kMaxIndexSitemaps = 50000;

// Reads a sitemap as its bytes arrive, with expat: a <urlset> of <url><loc>/<lastmod>, or a
// <sitemapindex> of <sitemap><loc>. Elements are matched by local name, in any namespace or
// none. Each address or sitemap goes to its callback as soon as its element closes, so
// memory does not grow with the file. Throws SiteUrlsError (Damaged) on malformed XML (with
// expat's message and line), another root element, or past the limits.
class SitemapParser : public BodyStream {
public:
    std::function<void(SitemapUrl url)> onUrl;
    std::function<void(std::string sitemap)> onSitemap;

    SitemapParser();
    ~SitemapParser() override;

    void Write(const char* data, size_t size) override;
    // The end of the document: throws when it is incomplete.
    void Finish();

    bool isIndex() const { return root_ == Root::Index; }
    size_t count() const { return count_; } // addresses, or sitemaps of an index

private:
    enum class Root { None, UrlSet, Index };
    enum class Field { None, Loc, Lastmod };
    static void OnStart(void* self, const char* name, const char** attributes);
    static void OnEnd(void* self, const char* name);
    static void OnText(void* self, const char* text, int length);
    void Start(const char* local);
    void End();
    void Fail(const std::string& what, unsigned long line);
    void Feed(const char* data, size_t size, bool final);

    struct Expat;
    std::unique_ptr<Expat> expat_;
    Root root_ = Root::None;
    int depth_ = 0;
    bool inEntry_ = false; // inside <url> or <sitemap>
    Field field_ = Field::None;
    std::string text_;
    SitemapUrl entry_;
    size_t count_ = 0;
    std::string error_; // our own reason for stopping expat
    unsigned long errorLine_ = 0;
    unsigned long fieldLine_ = 0; // where the <loc> or <lastmod> read began
};

} // namespace siteherald
