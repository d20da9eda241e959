// https:// against `openssl s_server -WWW` with certificates made for the test.

#include "http_test_processes.h"
#include "net/http_client.h"
#include "net/http_exception.h"
#include "scripted_server.h"
#include "test_support.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <random>
#include <unistd.h>
#include <vector>

namespace siteherald {
namespace {

using testing::ChildProcess;
using ::testing::StartsWith;
using testing::TempDir;

constexpr const char* kFetchUrlVariable = "SITEHERALD_TEST_FETCH_URL";

// In the fresh process FetchInFreshProcess starts (this test program again), the fetch runs
// before the tests would, and its result goes to standard output.
const bool kFetchOnly = [] {
    const char* url = std::getenv(kFetchUrlVariable);
    if (url == nullptr)
        return false;
    std::string out;
    try {
        THttpCli client;
        MemoryStream body;
        client.ReceiveStream = &body;
        // Generous: a loaded machine can be slow to start the child's lookup thread.
        client.Timeouts = {std::chrono::seconds(15), std::chrono::seconds(15)};
        client.Url = url;
        client.Get();
        out = "0 " + body.data();
    } catch (const EHttpException& e) {
        out = std::to_string(e.code()) + " " + e.what();
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    std::_Exit(0);
}();

// Fetches `url` in a fresh process, since the client reads the trusted certificates
// (SSL_CERT_FILE) once per process. "" for caFile: no SSL_CERT_FILE. Gives "0 " + body, or
// the failure's code and message. The process is this program started anew, never a bare
// fork: a fork of a process with threads (the scripted server's) may inherit a lock that
// another thread held, and hang.
std::string FetchInFreshProcess(const std::string& url, const std::string& caFile) {
    std::vector<std::string> environment;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        if (entry.rfind("SSL_CERT_", 0) != 0 && entry.rfind(kFetchUrlVariable, 0) != 0)
            environment.push_back(entry);
    }
    environment.push_back(std::string(kFetchUrlVariable) + "=" + url);
    if (!caFile.empty())
        environment.push_back("SSL_CERT_FILE=" + caFile);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);
    char self[] = "/proc/self/exe";
    char* argv[] = {self, nullptr};

    int fds[2];
    if (::pipe(fds) != 0)
        return "pipe failed";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], 1);
        ::execve(self, argv, envp.data());
        ::_exit(127);
    }
    ::close(fds[1]);
    std::string out;
    char buffer[65536];
    for (ssize_t got; (got = ::read(fds[0], buffer, sizeof buffer)) > 0;)
        out.append(buffer, static_cast<size_t>(got));
    ::close(fds[0]);
    ::waitpid(pid, nullptr, 0);
    return out;
}

class TlsClientTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        ok_ = MakeCertificates();
        std::filesystem::create_directory(*dir_ / "www");
        std::string file(200 * 1024, '\0');
        std::mt19937 random(99);
        for (char& c : file)
            c = static_cast<char>(random());
        file_ = new std::string(file);
        testing::WriteBytes(*dir_ / "www/f.bin", file);
        // host: the right certificate. sni: the right one only for a client that names
        // "localhost" in its hello. other: the certificate of another host.
        host_ = StartServer(hostPort_, {});
        sni_ = StartServer(sniPort_, {"-cert", "other.pem", "-key", "other.key", "-servername",
                                      "localhost", "-cert2", "host.pem", "-key2", "host.key"});
        other_ = StartServer(otherPort_, {"-cert", "other.pem", "-key", "other.key"});
        for (const int port : {hostPort_, sniPort_, otherPort_})
            ok_ = ok_ && testing::WaitForPort(port, std::chrono::seconds(10));
    }
    static void TearDownTestSuite() {
        delete host_;
        delete sni_;
        delete other_;
        delete file_;
        delete dir_;
    }
    void SetUp() override { ASSERT_TRUE(ok_) << "openssl could not make certificates or serve"; }

    // Two test CAs; certificates for this machine and for another host, signed by "ca".
    static bool MakeCertificates() {
        const auto make = [](const std::string& name, std::vector<std::string> more) {
            std::vector<std::string> args = {testing::SystemProgram("openssl"),
                                             "req",
                                             "-x509",
                                             "-newkey",
                                             "ec",
                                             "-pkeyopt",
                                             "ec_paramgen_curve:prime256v1",
                                             "-nodes",
                                             "-days",
                                             "2",
                                             "-subj",
                                             "/CN=" + name,
                                             "-keyout",
                                             name + ".key",
                                             "-out",
                                             name + ".pem"};
            args.insert(args.end(), more.begin(), more.end());
            return testing::RunProgram(args, dir_->path());
        };
        const auto signedByCa = [](const std::string& altNames) {
            return std::vector<std::string>{"-CA",     "ca.pem",
                                            "-CAkey",  "ca.key",
                                            "-addext", "basicConstraints=CA:FALSE",
                                            "-addext", "subjectAltName=" + altNames};
        };
        return make("ca", {}) && make("otherca", {}) &&
               make("host", signedByCa("DNS:localhost,IP:127.0.0.1")) &&
               make("other", signedByCa("DNS:other.test"));
    }

    static ChildProcess* StartServer(int& port, std::vector<std::string> certificates) {
        port = testing::FreePort();
        if (certificates.empty())
            certificates = {"-cert", "host.pem", "-key", "host.key"};
        std::vector<std::string> args = {
            testing::SystemProgram("openssl"),  "s_server", "-quiet", "-WWW", "-accept",
            "127.0.0.1:" + std::to_string(port)};
        for (std::string& c : certificates)
            args.push_back(c.ends_with(".pem") || c.ends_with(".key") ? *dir_ / c : c);
        return new ChildProcess(args, *dir_ / "www");
    }

    static std::string Url(const std::string& host, int port) {
        return "https://" + host + ":" + std::to_string(port) + "/f.bin";
    }
    static std::string Ca() { return *dir_ / "ca.pem"; }
    static ::testing::AssertionResult IsTheFile(const std::string& outcome) {
        if (outcome == "0 " + *file_)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << outcome.size() << " bytes: " << outcome.substr(0, 160);
    }

    static TempDir* dir_;
    static std::string* file_;
    static ChildProcess *host_, *sni_, *other_;
    static int hostPort_, sniPort_, otherPort_;
    static bool ok_;
};

TempDir* TlsClientTest::dir_ = nullptr;
std::string* TlsClientTest::file_ = nullptr;
ChildProcess* TlsClientTest::host_ = nullptr;
ChildProcess* TlsClientTest::sni_ = nullptr;
ChildProcess* TlsClientTest::other_ = nullptr;
int TlsClientTest::hostPort_ = 0;
int TlsClientTest::sniPort_ = 0;
int TlsClientTest::otherPort_ = 0;
bool TlsClientTest::ok_ = false;

TEST_F(TlsClientTest, TrustedCertificateGivesDocumentByteForByte) {
    EXPECT_TRUE(IsTheFile(FetchInFreshProcess(Url("localhost", hostPort_), Ca())));
    EXPECT_TRUE(IsTheFile(FetchInFreshProcess(Url("127.0.0.1", hostPort_), Ca())));
    // Only a client that sends the host name (SNI) gets the right certificate here.
    EXPECT_TRUE(IsTheFile(FetchInFreshProcess(Url("localhost", sniPort_), Ca())));
}

TEST_F(TlsClientTest, UntrustedCertificateIsRefused) {
    EXPECT_EQ(FetchInFreshProcess(Url("localhost", hostPort_), ""),
              "404 certificate verification failed: unable to get local issuer certificate");
    EXPECT_THAT(FetchInFreshProcess(Url("localhost", hostPort_), *dir_ / "otherca.pem"),
                StartsWith("404 certificate verification failed: "));
}

TEST_F(TlsClientTest, CertificateOfAnotherHostIsRefused) {
    EXPECT_EQ(FetchInFreshProcess(Url("localhost", otherPort_), Ca()),
              "404 certificate verification failed: hostname mismatch");
    EXPECT_EQ(FetchInFreshProcess(Url("127.0.0.1", sniPort_), Ca()),
              "404 certificate verification failed: IP address mismatch");
}

TEST_F(TlsClientTest, RedirectToHttpsSwitchesToTls) {
    testing::ScriptedServer plain(testing::Script{testing::Send(
        "HTTP/1.0 302 Found\r\nLocation: " + Url("127.0.0.1", hostPort_) + "\r\n\r\n")});
    EXPECT_TRUE(IsTheFile(FetchInFreshProcess(plain.url("/start"), Ca())));
}

} // namespace
} // namespace siteherald
