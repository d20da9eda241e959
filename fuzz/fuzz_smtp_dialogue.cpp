// The mail and news clients against a server that says the input: T_SMTP::Action when bit 0
// of the first byte is clear, else T_NNTP::Post and Logout. The rest of the input goes out
// at once on a loopback connection; then the server closes its side, or, when bits 1 to 5
// are all set, stays silent so that the client's wait times out (rarely: each such run
// waits). Whatever the server says, the client's bytes are a prefix of the one dialogue the
// protocol allows, and a send that returns has said all of it, QUIT aside (not sent once the
// server has closed the connection).

#include "broadcast/broadcast_errors.h"
#include "broadcast/message_format.h"
#include "broadcast/nntp_client.h"
#include "broadcast/smtp_client.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace std::chrono_literals;

namespace {

void Check(bool ok) {
    if (!ok)
        std::abort();
}

struct Listener {
    int fd = -1;
    int port = 0;
    Listener() {
        fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        Check(fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) == 0 &&
              ::listen(fd, 4) == 0 &&
              ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0);
        port = ntohs(address.sin_port);
    }
};

// Accepts one connection, writes `output`, then reads all the client sends until it closes.
void Serve(int listenFd, std::string_view output, bool silent, std::string& received) {
    pollfd ready{listenFd, POLLIN, 0};
    if (::poll(&ready, 1, 5000) != 1)
        return;
    const int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0)
        return;
    for (size_t sent = 0; sent < output.size();) {
        const ssize_t n = ::send(fd, output.data() + sent, output.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<size_t>(n);
    }
    if (!silent)
        ::shutdown(fd, SHUT_WR);
    char buffer[4096];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        received.append(buffer, static_cast<size_t>(n));
    // A reset instead of a normal close: no TIME_WAIT pile-up over millions of runs.
    const linger reset{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    ::close(fd);
}

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const Listener listener;
    const bool news = size > 0 && (data[0] & 1) != 0;
    const bool silent = size > 0 && (data[0] & 0x3e) == 0x3e;
    const std::string_view output =
        size > 0 ? std::string_view(reinterpret_cast<const char*>(data) + 1, size - 1)
                 : std::string_view();

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
            try {
                smtp.Action();
                done = true;
            } catch (const siteherald::ETcpIpError&) {
            }
        }
        server.join();
        const std::string head = "HELO " + siteherald::LocalHostName() +
                                 "\r\nMAIL FROM: <robin@x.test>\r\nRCPT TO: <kim@a.test>\r\n"
                                 "RCPT TO: <lee@b.test>\r\nDATA\r\n";
        // A reply to DATA below 300 but not 354 ends the dialogue without the message.
        const std::string sent = head + kStuffed + "QUIT\r\n";
        const std::string notSent = head + "QUIT\r\n";
        Check(IsPrefix(received, sent) || IsPrefix(received, notSent));
        Check(!done || received == sent || received == notSent || received == head + kStuffed ||
              received == head);
    }
    return 0;
}
