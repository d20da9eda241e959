// https:// against `openssl s_server -WWW` with certificates made for the test.

#include "net_harness.h"

#include <cstdio>
#include <filesystem>
#include <iterator>
#include <sstream>

namespace siteherald {
namespace {

using namespace testing;
using Strings = std::vector<std::string>;

// In the fresh process FetchInFreshProcess starts (this test program again), the fetch runs
// before the tests would, and its result goes to the file named in SITEHERALD_TEST_FETCH_OUT.
const bool kFetchOnly = [] {
    const char* url = std::getenv("SITEHERALD_TEST_FETCH_URL");
    if (url == nullptr)
        return false;
    Client c;
    // Generous: a loaded machine can be slow to start the child's lookup thread.
    c.http.Timeouts = {std::chrono::seconds(15), std::chrono::seconds(15)};
    const std::string failure = c.Get(url);
    WriteBytes(std::getenv("SITEHERALD_TEST_FETCH_OUT"),
               failure.empty() ? "0 " + c.body.data() : failure);
    std::_Exit(0);
}();

Strings Words(const std::string& text) {
    std::istringstream in(text);
    return {std::istream_iterator<std::string>(in), {}};
}

// Fetches `url` in a fresh process (the client reads SSL_CERT_FILE once per process; "" for
// caFile: none): "0 " + body, or the failure's code and message. The process is this program
// started anew: a bare fork of a process with threads may inherit a held lock, and hang.
std::string FetchInFreshProcess(const std::string& url, const std::string& caFile,
                                const TempDir& dir) {
    const std::string out = dir / "fetched";
    Strings args = Words("/usr/bin/env -u SSL_CERT_FILE -u SSL_CERT_DIR");
    if (!caFile.empty())
        args.push_back("SSL_CERT_FILE=" + caFile);
    args.insert(args.end(), {"SITEHERALD_TEST_FETCH_URL=" + url, "SITEHERALD_TEST_FETCH_OUT=" + out,
                             std::filesystem::read_symlink("/proc/self/exe")});
    std::remove(out.c_str());
    RunProgram(args, dir.path());
    return ReadBytes(out);
}

// Two test CAs; certificates for this machine and for another host, signed by "ca".
bool MakeCertificates(const std::string& dir) {
    const auto make = [&](const std::string& name, const std::string& more) {
        return RunProgram(Words(SystemProgram("openssl") +
                                " req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 "
                                "-nodes -days 2 -subj /CN=" +
                                name + " -keyout " + name + ".key -out " + name + ".pem " + more),
                          dir);
    };
    const std::string signedByCa =
        "-CA ca.pem -CAkey ca.key -addext basicConstraints=CA:FALSE -addext subjectAltName=";
    return make("ca", "") && make("otherca", "") &&
           make("host", signedByCa + "DNS:localhost,IP:127.0.0.1") &&
           make("other", signedByCa + "DNS:other.test");
}

TEST(TlsClientTest, VerifiesTheCertificateAndDeliversTheDocumentByteForByte) {
    TempDir dir;
    ASSERT_TRUE(MakeCertificates(dir.path())) << "openssl could not make certificates";
    std::filesystem::create_directory(dir / "www");
    const std::string file = RandomBytes(200 * 1024);
    WriteBytes(dir / "www/f.bin", file);
    // host: the right certificate; sni: the right one only for a client that names "localhost"
    const auto serve = [&](int port, const std::string& certificates) {
        Strings args = Words(SystemProgram("openssl") + " s_server -quiet -WWW -accept 127.0.0.1:" +
                             std::to_string(port) + " " + certificates);
        for (std::string& arg : args)
            arg = arg.ends_with(".pem") || arg.ends_with(".key") ? dir / arg : arg;
        return std::make_unique<ChildProcess>(args, dir / "www");
    };
    const int host = FreePort(), sni = FreePort(), other = FreePort(); // other: another host's
    const auto servers = {
        serve(host, "-cert host.pem -key host.key"),
        serve(sni, "-cert other.pem -key other.key -servername localhost -cert2 host.pem "
                   "-key2 host.key"),
        serve(other, "-cert other.pem -key other.key")};
    for (const int port : {host, sni, other})
        ASSERT_TRUE(WaitForPort(port, std::chrono::seconds(10))) << "openssl did not serve";

    const auto url = [](const std::string& name, int port) {
        return "https://" + name + ":" + std::to_string(port) + "/f.bin";
    };
    ScriptedServer plain(
        Script{Send("HTTP/1.0 302 Found\r\nLocation: " + url("127.0.0.1", host) + "\r\n\r\n")});
    const std::string ca = dir / "ca.pem", failed = "404 certificate verification failed: ";
    const Strings rows[] = {
        {url("localhost", host), ca, "0 " + file},
        {url("127.0.0.1", host), ca, "0 " + file},
        // Only a client that sends the host name (SNI) gets the right certificate here.
        {url("localhost", sni), ca, "0 " + file},
        // A redirect to https:// switches to TLS.
        {plain.url("/start"), ca, "0 " + file},
        {url("localhost", host), "", failed + "unable to get local issuer certificate"},
        {url("localhost", host), dir / "otherca.pem", failed}, // whatever the reason
        {url("localhost", other), ca, failed + "hostname mismatch"},
        {url("127.0.0.1", sni), ca, failed + "IP address mismatch"},
    };
    for (const Strings& row : rows) {
        SCOPED_TRACE(row[0] + " trusting " + row[1]);
        const std::string outcome = FetchInFreshProcess(row[0], row[1], dir);
        EXPECT_TRUE(row[2] == failed ? outcome.starts_with(failed) : outcome == row[2])
            << outcome.size() << " bytes: " << outcome.substr(0, 160);
    }
}

} // namespace
} // namespace siteherald
