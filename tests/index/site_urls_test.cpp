#include "index/site_urls.h"
#include "net/net_harness.h"

#include <filesystem>
#include <map>
#include <zlib.h>

namespace siteherald::testing {
namespace {

// `text` gzipped, followed by `blanks` spaces (deflated as they go, never all in memory).
std::string Gzip(const std::string& text, size_t blanks = 0) {
    z_stream z{};
    deflateInit2(&z, 9, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out, chunk(1 << 20, ' ');
    auto deflateAll = [&](const std::string& in, int flush) {
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        z.avail_in = static_cast<uInt>(in.size());
        do {
            char buffer[16384];
            z.next_out = reinterpret_cast<Bytef*>(buffer);
            z.avail_out = sizeof buffer;
            deflate(&z, flush);
            out.append(buffer, sizeof buffer - z.avail_out);
        } while (z.avail_out == 0);
    };
    deflateAll(text, Z_NO_FLUSH);
    for (; blanks > 0; blanks -= std::min(blanks, chunk.size()))
        deflateAll(chunk.substr(0, std::min(blanks, chunk.size())), Z_NO_FLUSH);
    deflateAll("", Z_FINISH);
    deflateEnd(&z);
    return out;
}

std::string UrlSet(const std::string& entries) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">" +
           entries + "</urlset>\n";
}

struct Row {
    std::string name;
    std::map<std::string, std::string> files; // served from the site's root
    std::vector<std::string> sitemaps;        // given, relative to the root
    std::string expected; // "sitemaps read | loc@lastmod ...", or "Kind: message"
};

TEST(ReadSiteUrlsTest, DiscoveryIndexesGzipAndFailures) {
    StaticHttpServer server;
    ASSERT_TRUE(server.running());
    const std::string base = server.url("").substr(0, server.url("").size() - 1);
    auto withBase = [&](std::string text) {
        for (size_t at; (at = text.find("BASE")) != std::string::npos;)
            text.replace(at, 4, base);
        return text;
    };
    const std::string a =
        withBase(UrlSet("<url><loc> BASE/a </loc><lastmod>2026-01-02</lastmod></url>"
                        "<url><loc><![CDATA[BASE/b?x=1&y=2]]></loc></url>"));
    const std::string b = withBase(UrlSet("<x:url xmlns:x='other'><x:loc>BASE/a</x:loc></x:url>"
                                          "<url><loc>BASE/c?p=&amp;&#x41;</loc></url>"));
    const std::string index = withBase("<sitemapindex><sitemap><loc>BASE/s1.xml.gz</loc></sitemap>"
                                       "<sitemap><loc>s2.xml</loc></sitemap><sitemap><loc>"
                                       "BASE/sitemap.xml</loc></sitemap></sitemapindex>");
    std::string many;
    for (int i = 0; i <= 50000; ++i)
        many += "<url><loc>" + base + "/" + std::to_string(i) + "</loc></url>";
    const std::vector<Row> rows = {
        {"robots.txt, two Sitemap lines",
         {{"robots.txt",
           withBase("\xEF\xBB\xBFUser-agent: *\r\n SITEMAP : BASE/a.xml\r\nsitemap:/b.xml\n")},
          {"a.xml", a},
          {"b.xml", b}},
         {},
         "a.xml b.xml | a@2026-01-02 b?x=1&y=2@ c?p=&A@"},
        {"no robots.txt", {{"sitemap.xml", a}}, {}, "sitemap.xml | a@2026-01-02 b?x=1&y=2@"},
        {"index of gzip and plain",
         {{"sitemap.xml", index}, {"s1.xml.gz", Gzip(a, 1 << 20)}, {"s2.xml", b}},
         {},
         "sitemap.xml s1.xml.gz s2.xml | a@2026-01-02 b?x=1&y=2@ c?p=&A@"},
        {"bad XML",
         {{"bad.xml", UrlSet("<url><loc>/a</url>")}},
         {"bad.xml"},
         "Damaged: The sitemap BASE/bad.xml is damaged: bad XML at line 2: mismatched tag"},
        {"bad gzip",
         {{"cut.xml.gz", Gzip(a).substr(0, 30)}},
         {"cut.xml.gz"},
         "Damaged: The sitemap BASE/cut.xml.gz is damaged: the gzip data ends early (the file "
         "is cut short)"},
        {"gzip bomb",
         {{"bomb.xml.gz", Gzip("<urlset>", 51 << 20)}},
         {"bomb.xml.gz"},
         "Damaged: The sitemap BASE/bomb.xml.gz is damaged: larger than 50 MB uncompressed, the "
         "sitemaps limit"},
        {"50,001 addresses",
         {{"many.xml", UrlSet(many)}},
         {"many.xml"},
         "Damaged: The sitemap BASE/many.xml is damaged: more than 50,000 addresses, the "
         "sitemaps limit at line 2"},
        {"missing sitemap",
         {},
         {"gone.xml"},
         "Download: Cannot download BASE/gone.xml: 404 File not found"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (const auto& entry : std::filesystem::directory_iterator(server.root()))
            std::filesystem::remove(entry);
        for (const auto& [name, bytes] : row.files)
            server.Put(name, bytes);
        UrlSources sources{server.url(""), {}, {}};
        for (const std::string& sitemap : row.sitemaps)
            sources.sitemaps.push_back(server.url(sitemap));
        std::string got;
        try {
            const SiteUrls read = ReadSiteUrls(sources);
            for (const std::string& sitemap : read.sitemaps)
                got += sitemap.substr(base.size() + 1) + " ";
            got += "|";
            for (const SitemapUrl& url : read.urls)
                got += " " + url.loc.substr(base.size() + 1) + "@" + url.lastmod;
        } catch (const SiteUrlsError& e) {
            const char* kinds[] = {"Download", "Damaged", "LocalFile", "Stopped"};
            got = std::string(kinds[int(e.kind)]) + ": " + e.what();
        }
        EXPECT_EQ(got, withBase(row.expected));
    }
}

TEST(ReadSiteUrlsTest, RobotsTxtRefusedOrStoppedWhileWaiting) {
    ScriptedServer failing(Script{Send("HTTP/1.0 500 Internal Server Error\r\n\r\n")});
    ScriptedServer silent(Script{Hold()});
    for (ScriptedServer* server : {&failing, &silent}) {
        const std::string site = "http://127.0.0.1:" + std::to_string(server->port()) + "/";
        const auto stopAt = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
        FetchHooks hooks;
        hooks.stopped = [&] { return std::chrono::steady_clock::now() > stopAt; };
        try {
            ReadSiteUrls({site, {}, {}}, hooks);
            ADD_FAILURE() << "read from " << site;
        } catch (const SiteUrlsError& e) {
            EXPECT_EQ(int(e.kind), int(server == &failing ? SiteUrlsError::Kind::Download
                                                          : SiteUrlsError::Kind::Stopped));
            EXPECT_EQ(std::string(e.what()),
                      server == &failing
                          ? "Cannot download " + site + "robots.txt: 500 Internal Server Error"
                          : "Stopped.");
        }
        EXPECT_LT(std::chrono::steady_clock::now(), stopAt + std::chrono::seconds(2));
    }
}

} // namespace
} // namespace siteherald::testing
