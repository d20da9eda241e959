#include "gunzip_stream.h"

#include "site_urls.h"

#include <string>
#include <vector>
#include <zlib.h>

namespace siteherald {

namespace {

constexpr size_t kOutChunk = 64 * 1024;

[[noreturn]] void Damaged(const std::string& what) {
    throw SiteUrlsError(SiteUrlsError::Kind::Damaged, what);
}

std::string SizeLimitText(long long bytes) {
    if (bytes % (1024 * 1024) == 0)
        return std::to_string(bytes / (1024 * 1024)) + " MB";
    return std::to_string(bytes) + " bytes";
}

} // namespace

struct GunzipStream::Inflater {
    z_stream z{};
    std::vector<unsigned char> out = std::vector<unsigned char>(kOutChunk);
    Inflater() {
        // 15 + 16: a gzip header and trailer around the deflate data.
        if (inflateInit2(&z, 15 + 16) != Z_OK)
            throw std::bad_alloc();
    }
    ~Inflater() { inflateEnd(&z); }
};

GunzipStream::GunzipStream(BodyStream& out, long long maxBytes) : out_(out), maxBytes_(maxBytes) {}

GunzipStream::~GunzipStream() = default;

void GunzipStream::Write(const char* data, size_t size) {
    if (size == 0)
        return;
    if (mode_ == Mode::Undecided) {
        if (!haveFirst_) {
            first_ = *data++;
            --size;
            haveFirst_ = true;
            if (size == 0)
                return;
        }
        const bool magic =
            static_cast<unsigned char>(first_) == 0x1f && static_cast<unsigned char>(*data) == 0x8b;
        mode_ = magic ? Mode::Gzip : Mode::Plain;
        if (magic)
            inflater_ = std::make_unique<Inflater>();
        const char first = first_;
        haveFirst_ = false;
        Write(&first, 1);
    }
    if (mode_ == Mode::Plain)
        Pass(data, size);
    else
        Inflate(data, size);
}

void GunzipStream::Finish() {
    if (mode_ == Mode::Undecided && haveFirst_) {
        mode_ = Mode::Plain;
        haveFirst_ = false;
        Pass(&first_, 1);
    }
    if (mode_ == Mode::Gzip && !streamEnded_)
        Damaged("the gzip data ends early (the file is cut short)");
}

void GunzipStream::Pass(const char* data, size_t size) {
    const long long room = maxBytes_ - bytesOut_;
    // Up to the limit the bytes go on, so the reader fails the same way however they came.
    const size_t taken = static_cast<long long>(size) > room ? static_cast<size_t>(room) : size;
    bytesOut_ += static_cast<long long>(taken);
    if (taken > 0)
        out_.Write(data, taken);
    if (taken < size)
        Damaged("larger than " + SizeLimitText(maxBytes_) + " uncompressed, the sitemaps limit");
}

void GunzipStream::Inflate(const char* data, size_t size) {
    z_stream& z = inflater_->z;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    z.avail_in = static_cast<uInt>(size);
    do {
        if (streamEnded_) {
            if (z.avail_in == 0)
                break;
            // Another gzip member follows the last one (concatenated gzip files).
            inflateReset(&z);
            streamEnded_ = false;
        }
        z.next_out = inflater_->out.data();
        z.avail_out = static_cast<uInt>(inflater_->out.size());
        const int rc = inflate(&z, Z_NO_FLUSH);
        const size_t produced = inflater_->out.size() - z.avail_out;
        if (produced > 0)
            Pass(reinterpret_cast<const char*>(inflater_->out.data()), produced);
        if (rc == Z_STREAM_END)
            streamEnded_ = true;
        else if (rc == Z_BUF_ERROR)
            break; // nothing more until the next bytes come
        else if (rc != Z_OK)
            Damaged(std::string("bad gzip data: ") + (z.msg               ? z.msg
                                                      : rc == Z_MEM_ERROR ? "out of memory"
                                                                          : "cannot inflate"));
        // A full output buffer may leave more output pending with no input left.
    } while (z.avail_in > 0 || z.avail_out == 0);
}

} // namespace siteherald
