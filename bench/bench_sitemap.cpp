// Reading sitemaps as they arrive: a 50,000-address sitemap (about 10 MB) plain and gzipped,
// and an index of ten gzipped ones, through the gzip reader and the expat parser in 64 KB
// pieces, keeping each address once as ReadSiteUrls does, and once only counting them. The
// bodies are in memory, so the figures are the reading alone. Counters: uncompressed MB/s,
// and the most heap the reading held (sampled after every piece): the addresses kept, while
// the readers themselves hold a fixed few hundred KB however long the file.

#include "index/gunzip_stream.h"
#include "index/kept_urls.h"
#include "index/sitemap_parser.h"

#include <benchmark/benchmark.h>
#include <malloc.h>
#include <string>
#include <vector>
#include <zlib.h>

using namespace siteherald;

namespace {

constexpr size_t kPiece = 64 * 1024;

std::string Sitemap(int part) {
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<urlset xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n";
    for (int i = 0; i < 50000; ++i)
        xml += "  <url>\n    <loc>https://www.example.org/catalogue/section-" +
               std::to_string(part) + "/product-" + std::to_string(i) +
               "/reviews-and-details.html?lang=en&amp;ref=sitemap</loc>\n"
               "    <lastmod>2026-11-" +
               std::to_string(10 + i % 20) +
               "T08:15:00+00:00</lastmod>\n    <changefreq>weekly</changefreq>\n"
               "    <priority>0.8</priority>\n  </url>\n";
    return xml + "</urlset>\n";
}

std::string Gzip(const std::string& text) {
    z_stream z{};
    deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, text.size()), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

size_t HeapInUse() {
    return mallinfo2().uordblks;
}

struct Kept {
    bool keep = true;
    size_t counted = 0;
    KeptUrls urls;
    std::vector<std::string> sitemaps;
    size_t heapBase = HeapInUse(), heapPeak = 0;
};

// One body through the readers, in pieces; returns the uncompressed size.
long long ReadBody(const std::string& body, Kept& kept) {
    SitemapParser parser;
    parser.onUrl = [&](SitemapUrl url) {
        ++kept.counted;
        if (kept.keep)
            kept.urls.Add(std::move(url));
    };
    parser.onSitemap = [&](std::string sitemap) { kept.sitemaps.push_back(std::move(sitemap)); };
    GunzipStream gunzip(parser);
    for (size_t at = 0; at < body.size(); at += kPiece) {
        gunzip.Write(body.data() + at, std::min(kPiece, body.size() - at));
        kept.heapPeak = std::max(kept.heapPeak, HeapInUse() - kept.heapBase);
    }
    gunzip.Finish();
    parser.Finish();
    return gunzip.bytesOut();
}

void Report(benchmark::State& state, long long bytes, const Kept& kept) {
    state.SetBytesProcessed(bytes);
    state.counters["addresses"] = static_cast<double>(kept.counted);
    state.counters["peak_heap_MB"] = static_cast<double>(kept.heapPeak) / (1 << 20);
}

void BM_Sitemap(benchmark::State& state, bool gzip, bool keep) {
    const std::string plain = Sitemap(0);
    const std::string body = gzip ? Gzip(plain) : plain;
    state.counters["body_MB"] = static_cast<double>(body.size()) / (1 << 20);
    long long bytes = 0;
    for (auto _ : state) {
        Kept kept;
        kept.keep = keep;
        bytes += ReadBody(body, kept);
        state.PauseTiming();
        Report(state, bytes, kept);
        state.ResumeTiming();
    }
}
BENCHMARK_CAPTURE(BM_Sitemap, Plain, false, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sitemap, Gzip, true, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Sitemap, GzipCountedOnly, true, false)->Unit(benchmark::kMillisecond);

void BM_SitemapIndexOfTenGzip(benchmark::State& state) {
    std::string index = "<?xml version=\"1.0\"?>\n<sitemapindex "
                        "xmlns=\"http://www.sitemaps.org/schemas/sitemap/0.9\">\n";
    std::vector<std::string> bodies;
    for (int part = 0; part < 10; ++part) {
        index += "<sitemap><loc>https://www.example.org/sitemap-" + std::to_string(part) +
                 ".xml.gz</loc></sitemap>\n";
        bodies.push_back(Gzip(Sitemap(part)));
    }
    index += "</sitemapindex>\n";
    long long bytes = 0;
    for (auto _ : state) {
        Kept kept;
        bytes += ReadBody(index, kept);
        for (size_t i = 0; i < kept.sitemaps.size(); ++i)
            bytes += ReadBody(bodies[i], kept);
        state.PauseTiming();
        Report(state, bytes, kept);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SitemapIndexOfTenGzip)->Unit(benchmark::kMillisecond);

} // namespace
