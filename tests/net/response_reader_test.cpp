#include "net/response_reader.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <tuple>

namespace siteherald {
namespace {

using ::testing::ElementsAre;
using Step = ResponseReader::Step;

struct Outcome {
    Step step = Step::More; // the last step other than More
    ResponseHeader header;
    std::string body;
    long long bodyBytes = 0;
};

// Feeds the response in pieces of `piece` bytes (0: in one piece), as the client does: on
// until the reader says to stop.
Outcome Read(const std::string& response, size_t piece) {
    Outcome out;
    ResponseReader reader([&](const char* data, size_t size) { out.body.append(data, size); });
    const size_t size = piece == 0 ? response.size() : piece;
    for (size_t at = 0; at < response.size(); at += size) {
        const Step step = reader.Feed(response.data() + at, std::min(size, response.size() - at));
        if (step != Step::More)
            out.step = step;
        if (step != Step::More && step != Step::HeaderEnded)
            break;
    }
    out.header = reader.header();
    out.bodyBytes = reader.bodyBytes();
    return out;
}

// The outcome of the whole response, after checking that feeding it byte by byte and in odd
// pieces gives the same one.
Outcome ReadAllWays(const std::string& response) {
    const Outcome whole = Read(response, 0);
    for (const size_t piece : {1, 2, 7, 4096}) {
        SCOPED_TRACE("pieces of " + std::to_string(piece));
        const Outcome split = Read(response, piece);
        const auto fields = [](const Outcome& o) {
            const ResponseHeader& h = o.header;
            return std::tie(o.step, o.body, o.bodyBytes, h.statusCode, h.reasonPhrase,
                            h.contentLength, h.contentType, h.location, h.lines);
        };
        EXPECT_TRUE(fields(split) == fields(whole));
    }
    return whole;
}

TEST(ResponseReaderTest, HeaderThenBody) {
    const Outcome r = ReadAllWays("HTTP/1.1 200 OK\r\n"
                                  "Content-Type: Text/HTML; Charset=UTF-8\r\n"
                                  "Content-Length:  13\r\n"
                                  "X-Note: a:b\r\n"
                                  "\r\n"
                                  "hello\r\nworld\n");
    EXPECT_EQ(r.step, Step::HeaderEnded);
    EXPECT_EQ(r.header.statusCode, 200);
    EXPECT_EQ(r.header.reasonPhrase, "OK");
    EXPECT_EQ(r.header.contentType, "text/html; charset=utf-8");
    EXPECT_EQ(r.header.contentLength, 13);
    EXPECT_FALSE(r.header.hasLocation);
    EXPECT_THAT(r.header.lines,
                ElementsAre("HTTP/1.1 200 OK", "Content-Type: Text/HTML; Charset=UTF-8",
                            "Content-Length:  13", "X-Note: a:b"));
    EXPECT_EQ(r.body, "hello\r\nworld\n");
    EXPECT_EQ(r.bodyBytes, 13);
}

TEST(ResponseReaderTest, DocumentWithoutHeaderKeepsEveryByte) {
    const std::string page = "<html>\r\n<body>\n\r\nx</body>\r\n";
    const Outcome r = ReadAllWays(page);
    EXPECT_EQ(r.step, Step::HeaderEnded);
    EXPECT_EQ(r.header.statusCode, 0);
    EXPECT_EQ(r.header.contentType, "text/html");
    EXPECT_TRUE(r.header.lines.empty());
    EXPECT_EQ(r.body, page);
}

TEST(ResponseReaderTest, LocationAndErrorStatusStopTheBody) {
    Outcome r = ReadAllWays("HTTP/1.0 302 Moved\r\nLocation:/x\r\n\r\nnot read");
    EXPECT_EQ(r.step, Step::Redirect);
    EXPECT_EQ(r.header.location, "/x");
    EXPECT_EQ(r.body, "");

    r = ReadAllWays("HTTP/1.0 301 Moved\nLocation: \t http://h/\n\n");
    EXPECT_EQ(r.step, Step::Redirect);
    EXPECT_EQ(r.header.location, "http://h/");

    r = ReadAllWays("HTTP/1.0 404 Not Found\r\nContent-Length: 5\r\n\r\ngone!");
    EXPECT_EQ(r.step, Step::ErrorStatus);
    EXPECT_EQ(r.header.statusCode, 404);
    EXPECT_EQ(r.header.reasonPhrase, "Not Found");
    EXPECT_THAT(r.header.lines, ElementsAre("HTTP/1.0 404 Not Found"));
    EXPECT_EQ(r.body, "");
}

TEST(ResponseReaderTest, HeaderLineOf8192BytesIsTooLong) {
    const auto withLine = [](size_t length) {
        return "HTTP/1.0 200 OK\n" + ("X: " + std::string(length - 3, 'a')) + "\n\nbody";
    };
    EXPECT_EQ(ReadAllWays(withLine(8191)).step, Step::HeaderEnded);
    EXPECT_EQ(ReadAllWays(withLine(8192)).step, Step::LineTooLong);
    EXPECT_EQ(ReadAllWays(withLine(9000)).step, Step::LineTooLong);
    // Body lines are not header lines.
    EXPECT_EQ(ReadAllWays("HTTP/1.0 200 OK\n\n" + std::string(20000, 'b')).bodyBytes, 20000);
}

} // namespace
} // namespace siteherald
