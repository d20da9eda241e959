// ResponseReader fed a response in pieces, as the socket hands it over. The first input byte
// gives how many of the next bytes (0 to 15) are piece lengths, used in turn over the rest of
// the input: a length byte below 0x80 is taken as is (0 is an empty read), a higher one as
// (b - 0x7f) * 128 bytes. The response is fed once whole, once in those pieces and once a
// byte at a time, each time stopping after a step other than More or HeaderEnded as the client
// does. All three must see the same header, the same body bytes and the same end; while the
// reader is in the header and asks for more, no line it holds may reach kMaxHeaderLine.

#include "fuzz_check.h"
#include "net/response_reader.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using siteherald::ResponseHeader;
using siteherald::ResponseReader;
using Step = ResponseReader::Step;

namespace {

constexpr size_t kMaxLine = ResponseReader::kMaxHeaderLine;

struct Outcome {
    bool stopped = false; // a step other than More or HeaderEnded ended the feeding
    Step last = Step::More;
    bool inBody = false;
    std::string body;
    ResponseHeader header;
};

// Header lines of the bytes fed so far, as far as the reader can have seen them: the longest
// complete line (without its line feed) and the length of the unfinished one.
struct LineLengths {
    size_t longest = 0;
    size_t open = 0;

    void Add(std::string_view piece) {
        for (const char c : piece) {
            if (c == '\n') {
                longest = std::max(longest, open);
                open = 0;
            } else {
                ++open;
            }
        }
    }
};

bool SameHeader(const ResponseHeader& a, const ResponseHeader& b) {
    return a.statusCode == b.statusCode && a.reasonPhrase == b.reasonPhrase &&
           a.contentLength == b.contentLength && a.contentType == b.contentType &&
           a.hasLocation == b.hasLocation && a.location == b.location && a.lines == b.lines;
}

// Feeds `response` in pieces of the given lengths, repeated; no lengths: all at once.
Outcome Feed(std::string_view response, const std::vector<size_t>& lengths) {
    Outcome out;
    size_t sinkCalls = 0;
    ResponseReader reader([&](const char* data, size_t size) {
        Check(size > 0);
        ++sinkCalls;
        out.body.append(data, size);
    });

    LineLengths lines;
    bool headerEnded = false;
    size_t pos = 0;
    size_t turn = 0;
    for (;;) {
        size_t length = response.size() - pos;
        if (!lengths.empty())
            length = std::min(length, lengths[turn++ % lengths.size()]);
        const std::string_view piece = response.substr(pos, length);
        pos += length;

        const size_t bodyBefore = out.body.size();
        const Step step = reader.Feed(piece.data(), piece.size());
        out.last = step;
        if (!headerEnded)
            lines.Add(piece);

        Check(reader.bodyBytes() == static_cast<long long>(out.body.size()));
        Check(reader.bodyChunks() == sinkCalls);
        Check(reader.receivedAnything() == (pos > 0));
        if (headerEnded) {
            // The body passes straight through.
            Check(step == Step::More);
            Check(out.body.size() == bodyBefore + piece.size());
        } else if (step == Step::HeaderEnded) {
            headerEnded = true;
            Check(reader.inBody());
        } else {
            Check(!reader.inBody());
            Check(out.body.size() == bodyBefore);
            if (step == Step::More)
                Check(lines.longest < kMaxLine && lines.open < kMaxLine);
            if (step == Step::LineTooLong)
                Check(lines.longest >= kMaxLine || lines.open >= kMaxLine);
        }
        if (step != Step::More && step != Step::HeaderEnded) {
            out.stopped = true;
            break;
        }
        if (pos == response.size())
            break;
    }
    out.inBody = reader.inBody();
    out.header = reader.header();
    for (const std::string& line : out.header.lines)
        Check(line.find('\n') == std::string::npos && line.size() < kMaxLine);

    if (out.last == Step::Redirect) {
        // The next hop starts clean and keeps the lines seen so far.
        reader.RestartForRedirect();
        Check(!reader.inBody() && !reader.receivedAnything() && reader.bodyBytes() == 0);
        Check(!reader.header().hasLocation && reader.header().contentLength == -1);
        const std::string_view next = "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok";
        const size_t bodyBefore = out.body.size();
        Check(reader.Feed(next.data(), next.size()) == Step::HeaderEnded);
        Check(out.body.substr(bodyBefore) == "ok" && reader.bodyBytes() == 2);
        Check(reader.header().statusCode == 200 && reader.header().contentLength == 2);
        Check(reader.header().lines.size() == out.header.lines.size() + 2);
    }
    return out;
}

bool SameOutcome(const Outcome& a, const Outcome& b) {
    if (a.stopped != b.stopped || a.inBody != b.inBody || a.body != b.body ||
        !SameHeader(a.header, b.header))
        return false;
    return !a.stopped || a.last == b.last;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) {
        const Outcome empty = Feed({}, {});
        Check(!empty.stopped && !empty.inBody && empty.body.empty() && empty.header.lines.empty());
        return 0;
    }
    const size_t count = std::min<size_t>(data[0] & 0x0f, size - 1);
    std::vector<size_t> lengths;
    for (size_t i = 1; i <= count; ++i)
        lengths.push_back(data[i] < 0x80 ? data[i] : (data[i] - 0x7f) * size_t{128});
    // Empty reads alone would never get anywhere.
    if (!lengths.empty() &&
        std::all_of(lengths.begin(), lengths.end(), [](size_t n) { return n == 0; }))
        lengths.push_back(1);
    const std::string_view response(reinterpret_cast<const char*>(data) + 1 + count,
                                    size - 1 - count);

    const Outcome whole = Feed(response, {});
    Check(SameOutcome(whole, Feed(response, lengths)));
    Check(SameOutcome(whole, Feed(response, {1})));
    return 0;
}
