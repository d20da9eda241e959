#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace siteherald {

// What the response header said.
struct ResponseHeader {
    int statusCode = 0;
    std::string reasonPhrase;
    long long contentLength = -1; // -1: none given
    std::string contentType;      // lower-cased
    bool hasLocation = false;
    std::string location;
    std::vector<std::string> lines; // every header line received, the status line included
};

// Reads an HTTP/1.0 response from the bytes as they arrive: header lines (each at most
// kMaxHeaderLine bytes), then the body, handed on as it comes. Knows nothing of sockets,
// so any byte sequence can be fed to it.
class ResponseReader {
public:
    static constexpr size_t kMaxHeaderLine = 8192;

    enum class Step {
        More,        // keep reading
        HeaderEnded, // the body follows (already-buffered body bytes were handed on)
        Redirect,    // the header ended and carried a Location
        ErrorStatus, // a status of 400 or more: stop reading at once
        LineTooLong, // a header line longer than kMaxHeaderLine
    };

    using BodySink = std::function<void(const char* data, size_t size)>;
    // With wholeHeader (the answer to a POST), an answer of 400 or more is read to the end of
    // its header before ErrorStatus, so its fields (Retry-After) are there, and only a 3xx
    // answer's Location redirects.
    explicit ResponseReader(BodySink sink, bool wholeHeader = false)
        : sink_(std::move(sink)), wholeHeader_(wholeHeader) {}

    Step Feed(const char* data, size_t size);

    // Starts over for the next hop of a redirect. The header lines and status seen so far
    // are kept, as the request's history.
    void RestartForRedirect();

    bool inBody() const { return inBody_; }
    bool receivedAnything() const { return receivedAnything_; }
    size_t bodyChunks() const { return bodyChunks_; }
    long long bodyBytes() const { return bodyBytes_; }
    const ResponseHeader& header() const { return header_; }

private:
    Step HeaderLine(const std::string& line, size_t lineStart);
    void Body(const char* data, size_t size);

    BodySink sink_;
    bool wholeHeader_ = false;
    ResponseHeader header_;
    std::string buffer_;
    size_t scanned_ = 0; // bytes of buffer_ known to hold no line feed
    bool inBody_ = false;
    bool receivedAnything_ = false;
    size_t bodyChunks_ = 0;
    long long bodyBytes_ = 0;
};

} // namespace siteherald
