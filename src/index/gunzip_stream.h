#pragma once

#include "net/body_stream.h"

#include <cstddef>
#include <memory>

namespace siteherald {

// The sitemaps protocol's size limit of one file, uncompressed: 50 MB.
inline constexpr long long kMaxSitemapBytes = 50LL * 1024 * 1024;

// Passes a body on to `out` as it arrives, inflating it first when it starts with the gzip
// magic bytes (1f 8b); any other body passes through as it is. Counts the bytes passed on and
// refuses more than `maxBytes`, so a small gzip file that inflates to gigabytes never fills
// memory. Throws SiteUrlsError (Damaged) on bad gzip data or past the limit.
class GunzipStream : public BodyStream {
public:
    explicit GunzipStream(BodyStream& out, long long maxBytes = kMaxSitemapBytes);
    ~GunzipStream() override;

    void Write(const char* data, size_t size) override;
    // The body is complete: throws when the gzip data stopped short of its end.
    void Finish();

    bool gzip() const { return mode_ == Mode::Gzip; }
    long long bytesOut() const { return bytesOut_; }

private:
    enum class Mode { Undecided, Plain, Gzip };
    void Decide();
    void Pass(const char* data, size_t size);
    void Inflate(const char* data, size_t size);

    BodyStream& out_;
    long long maxBytes_;
    Mode mode_ = Mode::Undecided;
    char first_ = 0; // the single byte seen while undecided
    bool haveFirst_ = false;
    bool streamEnded_ = false; // the last gzip member read to its end
    long long bytesOut_ = 0;
    struct Inflater;
    std::unique_ptr<Inflater> inflater_;
};

} // namespace siteherald
