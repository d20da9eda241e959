// A sitemap body through the gzip reader into the sitemap parser, as the HTTP client hands it
// over. The first input byte: its low 4 bits give how many of the next bytes are piece
// lengths (0 is an empty write, else the byte's value), used in turn over the rest; bit 0x80
// gzips the rest first, so the XML inside a gzip body is explored too. The body is fed once
// whole and once in those pieces: both must read the same entries and fail, if at all, for
// the same kind of reason (expat may name a different fault when it sees the bytes in other
// pieces: "junk after document element" or "not well-formed"), and neither may pass the
// limits (a small uncompressed limit here, so inputs reach it).

#include "fuzz_check.h"
#include "index/gunzip_stream.h"
#include "index/sitemap_parser.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>
#include <zlib.h>

using namespace siteherald;

namespace {

constexpr long long kLimit = 256 * 1024;

std::string Gzip(std::string_view text) {
    z_stream z{};
    Check(deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) == Z_OK);
    std::string out(deflateBound(&z, static_cast<uLong>(text.size())) + 32, '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
    z.avail_in = static_cast<uInt>(text.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    Check(deflate(&z, Z_FINISH) == Z_STREAM_END);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

struct Outcome {
    std::string entries; // every address and sitemap, in order
    std::string error;
    size_t urls = 0, sitemaps = 0;
    bool operator==(const Outcome&) const = default;
};

Outcome Read(std::string_view body, const std::vector<size_t>& pieces) {
    Outcome outcome;
    SitemapParser parser;
    parser.onUrl = [&](SitemapUrl url) {
        Check(!url.loc.empty());
        ++outcome.urls;
        outcome.entries += "U " + url.loc + " " + url.lastmod + "\n";
    };
    parser.onSitemap = [&](std::string sitemap) {
        Check(!sitemap.empty());
        ++outcome.sitemaps;
        outcome.entries += "S " + sitemap + "\n";
    };
    GunzipStream gunzip(parser, kLimit);
    try {
        for (size_t i = 0; !body.empty(); ++i) {
            const size_t size = pieces.empty() ? body.size() : pieces[i % pieces.size()];
            const size_t take = std::min(size, body.size());
            gunzip.Write(body.data(), take);
            body.remove_prefix(take);
            Check(gunzip.bytesOut() <= kLimit);
        }
        gunzip.Finish();
        parser.Finish();
    } catch (const SiteUrlsError& e) {
        Check(e.kind == SiteUrlsError::Kind::Damaged && *e.what() != '\0');
        // The kind of fault: "bad XML", "bad gzip data", "larger than", "more than", ...
        const std::string what = e.what();
        outcome.error = what.substr(0, what.find_first_of(":0123456789"));
    }
    Check(gunzip.bytesOut() <= kLimit);
    Check(outcome.urls <= kMaxSitemapUrls && outcome.sitemaps <= kMaxIndexSitemaps);
    Check(outcome.urls == 0 || outcome.sitemaps == 0);
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    std::string_view input(reinterpret_cast<const char*>(data), size);
    const unsigned control = static_cast<unsigned char>(input[0]);
    input.remove_prefix(1);
    std::vector<size_t> pieces;
    for (unsigned i = 0; i < (control & 0x0f) && !input.empty(); ++i) {
        pieces.push_back(static_cast<unsigned char>(input[0]));
        input.remove_prefix(1);
    }
    const std::string body = control & 0x80 ? Gzip(input) : std::string(input);
    const Outcome whole = Read(body, {});
    // All-empty pieces would never finish; one byte at a time stands in.
    bool allEmpty = true;
    for (const size_t piece : pieces)
        allEmpty = allEmpty && piece == 0;
    const Outcome split = Read(body, allEmpty ? std::vector<size_t>{1} : pieces);
    Check(whole == split);
    return 0;
}
