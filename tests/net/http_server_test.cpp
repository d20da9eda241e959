// The client against a real static HTTP server (Python's http.server) on 127.0.0.1.

#include "http_test_processes.h"
#include "net/http_client.h"
#include "net/http_exception.h"
#include "test_support.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <random>

namespace siteherald {
namespace {

using ::testing::HasSubstr;
using testing::TempDir;
using testing::WriteBytes;

std::string RandomBytes(size_t size) {
    std::mt19937 random(1234);
    std::string bytes(size, '\0');
    for (char& c : bytes)
        c = static_cast<char>(random());
    return bytes;
}

class HttpServerTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        root_ = new TempDir;
        std::filesystem::create_directory(*root_ / "dir");
        WriteBytes(*root_ / "page.html", Page());
        WriteBytes(*root_ / "blob.bin", Blob());
        WriteBytes(*root_ / "dir/sub.txt", "in the folder\n");
        port_ = testing::FreePort();
        server_ = new testing::ChildProcess({testing::SystemProgram("python3"), "-m", "http.server",
                                             "--bind", "127.0.0.1", std::to_string(port_),
                                             "--directory", root_->path()},
                                            root_->path());
        up_ = testing::WaitForPort(port_, std::chrono::seconds(20));
    }
    static void TearDownTestSuite() {
        delete server_;
        delete root_;
    }
    void SetUp() override {
        ASSERT_TRUE(up_) << "python3 -m http.server did not start";
        client_.ReceiveStream = &body_;
        client_.Timeouts = {std::chrono::seconds(5), std::chrono::seconds(5)};
    }

    static std::string Page() { return "<html>\r\n<p>Harbour\nKayaks</p>\r</html>\n"; }
    static const std::string& Blob() {
        static const std::string blob = RandomBytes(1 << 20);
        return blob;
    }
    std::string Url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + path;
    }

    static TempDir* root_;
    static testing::ChildProcess* server_;
    static int port_;
    static bool up_;
    THttpCli client_;
    MemoryStream body_;
};

TempDir* HttpServerTest::root_ = nullptr;
testing::ChildProcess* HttpServerTest::server_ = nullptr;
int HttpServerTest::port_ = 0;
bool HttpServerTest::up_ = false;

TEST_F(HttpServerTest, DocumentsArriveByteForByte) {
    client_.Url = Url("/page.html?from=test");
    client_.Get();
    EXPECT_EQ(body_.data(), Page());
    EXPECT_EQ(client_.StatusCode(), 200);
    EXPECT_EQ(client_.ContentType(), "text/html");
    EXPECT_EQ(client_.DocName(), "page.html");

    body_.data().clear();
    client_.Url = Url("/blob.bin");
    client_.Get();
    EXPECT_TRUE(body_.data() == Blob()) << "received " << body_.data().size() << " bytes";
    EXPECT_EQ(client_.ContentLength(), 1 << 20);
    EXPECT_EQ(client_.BytesReceived(), 1 << 20);
}

TEST_F(HttpServerTest, MissingFileRaisesServerStatus) {
    body_.data() = "untouched";
    client_.Url = Url("/nothing-here.html");
    try {
        client_.Get();
        FAIL() << "Get returned";
    } catch (const EHttpException& e) {
        EXPECT_EQ(e.code(), 404);
        EXPECT_STREQ(e.what(), "File not found");
    }
    EXPECT_EQ(body_.data(), "untouched");
}

TEST_F(HttpServerTest, FolderWithoutSlashIsRedirected) {
    client_.Url = Url("/dir");
    client_.Get();
    EXPECT_EQ(client_.StatusCode(), 200);
    EXPECT_THAT(body_.data(), HasSubstr("<a href=\"sub.txt\">sub.txt</a>"));
    EXPECT_EQ(client_.RequestText(), "GET /dir/ HTTP/1.0\r\nUser-Agent: Siteherald/1.75\r\n"
                                     "Host: 127.0.0.1\r\n\r\n");
    EXPECT_EQ(client_.RcvdHeader().front().rfind("HTTP/1.0 301 ", 0), 0u);
}

} // namespace
} // namespace siteherald
