// The mail and news clients against a server that says the input: T_SMTP::Action when bit 0
// of the first byte is clear, else T_NNTP::Post and Logout. The rest of the input goes out
// at once on a loopback connection; then the server closes its side, or, when bits 1 to 5
// are all set, stays silent so that the client's wait times out (rarely: each such run
// waits). Bits 6 and 7 pick the mail security: none (HELO), auto, starttls, auto with a
// login. Whatever the server says, the client's bytes are a prefix of a dialogue the protocol
// allows, and a send that returns has said all of it, QUIT aside (not sent once the server
// has closed the connection). Nothing of a login is ever sent: the server speaks no TLS, so
// a STARTTLS can only end in a failed handshake. The input is also read as an EHLO reply.

#include "broadcast/broadcast_errors.h"
#include "broadcast/message_format.h"
#include "broadcast/nntp_client.h"
#include "broadcast/smtp_capabilities.h"
#include "broadcast/smtp_client.h"
#include "loopback_peer.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

using namespace std::chrono_literals;

namespace {

const std::vector<std::string> kMessage = {"Subject: hi", "", ".hidden\r\nsecond", "."};
const std::string kStuffed = "Subject: hi\r\n\r\n..hidden\r\nsecond\r\n..\r\n.\r\n";

bool IsPrefix(const std::string& text, const std::string& of) {
    return of.compare(0, text.size(), text) == 0;
}

void Client(siteherald::T_TcpIp& client, int port, bool silent) {
    client.Hostname = "127.0.0.1:" + std::to_string(port);
    // The whole input is there at once, so a wait only times out when it has run out.
    client.Timeouts = {2000ms, silent ? 10ms : 2000ms, silent ? 10ms : 2000ms};
}

// The lines of text, as ReadLine gives them.
std::vector<std::string> Lines(std::string_view text) {
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        const size_t lf = std::min(text.find('\n', at), text.size());
        std::string line(text.substr(at, lf - at));
        std::erase(line, '\r');
        lines.push_back(std::move(line));
        at = lf + 1;
    }
    return lines;
}

void CheckCapabilities(std::string_view text) {
    const std::vector<std::string> lines = Lines(text);
    const siteherald::SmtpCapabilities found = siteherald::ParseEhloReply(lines);
    for (size_t i = 0; i < found.authMechanisms.size(); ++i) {
        const std::string& mechanism = found.authMechanisms[i];
        Check(!mechanism.empty() && found.OffersAuth(mechanism));
        for (const char c : mechanism)
            Check(c != ' ' && c != '\t' && (c < 'a' || c > 'z'));
        for (size_t j = 0; j < i; ++j)
            Check(found.authMechanisms[j] != mechanism);
    }
    // The greeting line offers nothing.
    if (lines.size() <= 1)
        Check(!found.startTls && found.authMechanisms.empty());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Listener listener;
    const bool news = size > 0 && (data[0] & 1) != 0;
    const bool silent = size > 0 && (data[0] & 0x3e) == 0x3e;
    const std::string_view output =
        size > 0 ? std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1)
                 : std::string_view();

    CheckCapabilities(output);
    const int security = size > 0 ? data[0] >> 6 : 0;

    std::string received;
    std::thread server([&] { Serve(listener.fd, output, silent, received); });
    bool done = false;
    if (news) {
        {
            siteherald::T_NNTP nntp;
            Client(nntp, listener.port, silent);
            nntp.MessageLines = kMessage;
            try {
                nntp.Post();
                done = true;
                nntp.Logout();
            } catch (const siteherald::ETcpIpError&) {
            }
        }
        server.join();
        const std::string posted = "MODE READER\r\nPOST\r\n" + kStuffed;
        Check(IsPrefix(received, posted + "QUIT\r\n"));
        Check(!done || received.starts_with(posted));
    } else {
        {
            siteherald::T_SMTP smtp;
            Client(smtp, listener.port, silent);
            smtp.EnvelopeSender = "\"Robin\" <robin@x.test>";
            smtp.Recipients = {"kim@a.test, (lee@b.test)"};
            smtp.MessageLines = kMessage;
            smtp.Security = security == 0   ? siteherald::TransportSecurity::None
                            : security == 2 ? siteherald::TransportSecurity::StartTls
                                            : siteherald::TransportSecurity::Auto;
            if (security == 3)
                smtp.Credentials = {"robin", "Tide-7"};
            try {
                smtp.Action();
                done = true;
            } catch (const siteherald::ETcpIpError&) {
            }
        }
        server.join();
        const std::string hello = siteherald::LocalHostName() + "\r\n";
        const std::string head = "MAIL FROM: <robin@x.test>\r\nRCPT TO: <kim@a.test>\r\n"
                                 "RCPT TO: <lee@b.test>\r\nDATA\r\n";
        // A reply to DATA below 300 but not 354 ends the dialogue without the message.
        const std::string sent = head + kStuffed + "QUIT\r\n";
        const std::string notSent = head + "QUIT\r\n";
        const auto plain = [&](const std::string& start) {
            if (!received.starts_with(start))
                return IsPrefix(received, start) && !done;
            const std::string rest = received.substr(start.size());
            Check(IsPrefix(rest, sent) || IsPrefix(rest, notSent));
            Check(!done || rest == sent || rest == notSent || rest == head + kStuffed ||
                  rest == head);
            return true;
        };
        if (security == 0) {
            Check(plain("HELO " + hello));
        } else {
            const std::string ehlo = "EHLO " + hello, startTls = ehlo + "STARTTLS\r\n";
            if (received.starts_with(startTls)) {
                // Only a TLS handshake may follow, and it fails.
                Check(!done &&
                      (received.size() == startTls.size() || received[startTls.size()] == '\x16'));
            } else if (security == 1) {
                Check(plain(ehlo + "HELO " + hello) || plain(ehlo));
            } else {
                Check(!done && IsPrefix(received, startTls));
            }
        }
    }
    return 0;
}
