// The news client's CAPABILITIES reading and its login against a server that says the input.
// Bit 0 of the first byte clear: the rest is a capability list, one line a label; each label
// is a word of a line, upper-cased, non-empty, without blanks or small letters. Bit 0 set:
// the rest goes out at once on a plain loopback connection to a T_NNTP with a login under
// auto (bit 1 clear) or starttls security, then the server closes its side. Whatever the
// server says, the client's plain bytes are a prefix of MODE READER, CAPABILITIES, STARTTLS
// (TLS may follow, and fails): nothing of the login, and no article, goes out unencrypted.

#include "broadcast/broadcast_errors.h"
#include "broadcast/nntp_capabilities.h"
#include "broadcast/nntp_client.h"
#include "loopback_peer.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

void CheckCapabilities(std::string_view text) {
    std::vector<std::string> lines;
    for (size_t start = 0; start <= text.size();) {
        const size_t end = std::min(text.find('\n', start), text.size());
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    const auto labels = siteherald::ParseNntpCapabilities(lines);
    Check(labels.size() <= lines.size());
    for (const std::string& label : labels) {
        Check(!label.empty() &&
              label.find_first_of(" \tabcdefghijklmnopqrstuvwxyz") == std::string::npos);
        bool found = false;
        for (std::string line : lines) {
            for (char& c : line)
                c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
            found = found || line.find(label) != std::string::npos;
        }
        Check(found);
    }
    lines.push_back("StartTLS");
    Check(siteherald::ParseNntpCapabilities(lines).contains("STARTTLS"));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view rest =
        size > 0 ? std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1)
                 : std::string_view();
    if (size == 0 || (data[0] & 1) == 0) {
        CheckCapabilities(rest);
        return 0;
    }
    static const Listener listener;
    std::string received;
    std::thread server([&] { Serve(listener.fd, rest, false, received); });
    bool posted = false;
    {
        siteherald::T_NNTP nntp;
        nntp.Hostname = "127.0.0.1:" + std::to_string(listener.port);
        nntp.Timeouts = {2000ms, 2000ms, 2000ms};
        nntp.Security = (data[0] & 2) ? siteherald::TransportSecurity::StartTls
                                      : siteherald::TransportSecurity::Auto;
        nntp.Credentials = {"robin", "pw-secret"};
        nntp.MessageLines = {"Subject: hi", "", "body"};
        try {
            nntp.Post();
            posted = true;
        } catch (const siteherald::ETcpIpError&) {
        }
    }
    server.join();
    const std::string plain = "MODE READER\r\nCAPABILITIES\r\nSTARTTLS\r\n";
    Check(!posted);
    Check(plain.starts_with(received) || received.starts_with(plain));
    Check(received.find("pw-secret") == std::string::npos);
    return 0;
}
