#pragma once

// A TCP server on 127.0.0.1 for the answers no real server gives on request. Connections are
// served one after another, as the clients make them, and every byte each one sent is kept.
// Two scripts run on it: HTTP (the request up to its empty line, then fixed steps) and a
// line-by-line mail or news dialogue.

#include <arpa/inet.h>
#include <chrono>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace siteherald::testing {

inline sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// Listens on 127.0.0.1 (port chosen by the system); `backlog` 0 with one unaccepted
// connection makes every later connect hang.
inline int ListenOnLoopback(int backlog, int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(fd, backlog) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
        std::abort();
    port = ntohs(address.sin_port);
    return fd;
}

// A port that was free a moment ago.
inline int FreePort() {
    int port = 0;
    ::close(ListenOnLoopback(1, port));
    return port;
}

// One step of an HTTP script.
struct Step {
    enum class Kind { Send, Dribble, Pause, Hold } kind;
    std::string bytes;
    std::chrono::milliseconds pause{0};
};
inline Step Send(std::string bytes) {
    return {Step::Kind::Send, std::move(bytes)};
}
// Sends the bytes one at a time, a little apart, so that each arrives on its own.
inline Step Dribble(std::string bytes) {
    return {Step::Kind::Dribble, std::move(bytes)};
}
inline Step Pause(std::chrono::milliseconds ms) {
    return {Step::Kind::Pause, {}, ms};
}
// Keeps the connection open without a further byte until the client closes it.
inline Step Hold() {
    return {Step::Kind::Hold, {}};
}
using Script = std::vector<Step>;

class ScriptedServer {
public:
    // Serves connection number n (from 0) on socket fd.
    using Handler = std::function<void(ScriptedServer&, int fd, size_t n)>;

    explicit ScriptedServer(Handler handler) : handler_(std::move(handler)) {
        listenFd_ = ListenOnLoopback(16, port_);
        if (::pipe(stopPipe_) != 0)
            std::abort();
        thread_ = std::thread([this] { Run(); });
    }
    // HTTP: connection n plays scripts[n], the last script any later connection.
    explicit ScriptedServer(std::vector<Script> scripts)
        : ScriptedServer([scripts = std::move(scripts)](ScriptedServer& s, int fd, size_t n) {
              std::string request;
              while (request.find("\r\n\r\n") == std::string::npos)
                  if (!s.Read(fd, request))
                      return;
              for (const Step& step : scripts[std::min(n, scripts.size() - 1)]) {
                  if (step.kind == Step::Kind::Pause && !s.Pause(int(step.pause.count())))
                      return;
                  if (step.kind == Step::Kind::Hold)
                      s.Hold(fd);
                  if (step.kind == Step::Kind::Send || step.kind == Step::Kind::Dribble)
                      s.Write(fd, step.bytes, step.kind == Step::Kind::Dribble);
              }
          }) {}
    explicit ScriptedServer(Script script) : ScriptedServer(std::vector<Script>{script}) {}
    ~ScriptedServer() {
        [[maybe_unused]] const ssize_t n = ::write(stopPipe_[1], "s", 1);
        thread_.join();
        ::close(listenFd_);
        ::close(stopPipe_[0]);
        ::close(stopPipe_[1]);
    }

    int port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string url(const std::string& path = "/") const { return "http://" + address() + path; }
    // All bytes each connection sent (for HTTP, its request).
    std::vector<std::string> transcripts() const {
        const std::lock_guard lock(mutex_);
        return transcripts_;
    }
    size_t connections() const { return transcripts().size(); }
    std::vector<std::string> requests() const { return transcripts(); }

    // For handlers: each wait ends early when the server stops.
    // Waits for bytes and appends them; false when the client closed or the server stops.
    bool Read(int fd, std::string& into) {
        char buffer[4096];
        const ssize_t got = WaitFor(fd, -1) ? ::recv(fd, buffer, sizeof buffer, 0) : 0;
        if (got <= 0)
            return false;
        into.append(buffer, static_cast<size_t>(got));
        const std::lock_guard lock(mutex_);
        transcripts_.back().append(buffer, static_cast<size_t>(got));
        return true;
    }
    // One byte at a time: each a little apart, so that each arrives on its own.
    void Write(int fd, const std::string& bytes, bool oneByteAtATime = false) {
        for (size_t at = 0; oneByteAtATime && at < bytes.size() && Pause(2); ++at)
            ::send(fd, &bytes[at], 1, MSG_NOSIGNAL);
        if (!oneByteAtATime)
            ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    bool Pause(int ms) { return WaitFor(-1, ms); }
    // Reads on until the client closes.
    void Hold(int fd) {
        for (std::string ignored; Read(fd, ignored); ignored.clear()) {
        }
    }

private:
    // Waits for input on fd (only for the stop signal when fd < 0); false when stopping.
    bool WaitFor(int fd, int timeoutMs) const {
        pollfd fds[2] = {{stopPipe_[0], POLLIN, 0}, {fd, POLLIN, 0}};
        ::poll(fds, fd < 0 ? 1 : 2, timeoutMs);
        return fds[0].revents == 0;
    }
    void Run() {
        for (size_t n = 0; WaitFor(listenFd_, -1);) {
            const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            {
                const std::lock_guard lock(mutex_);
                transcripts_.emplace_back();
            }
            handler_(*this, fd, n++);
            ::close(fd);
        }
    }

    Handler handler_;
    int listenFd_ = -1;
    int port_ = 0;
    int stopPipe_[2] = {-1, -1};
    mutable std::mutex mutex_;
    std::vector<std::string> transcripts_;
    std::thread thread_;
};

// A mail or news dialogue: the table's "" entry greets each connection; every line gets the
// reply for the whole line, else for its first word ("." for the end of a message); after a
// 3xx reply to DATA or POST the message is read up to its "." line.
struct Reply {
    std::vector<std::string> lines; // sent with CR LF each
    enum class Then { Continue, Close, Silent } then = Then::Continue;
    bool oneByteAtATime = false;
};
inline Reply Answer(std::vector<std::string> lines) {
    return {std::move(lines)};
}
inline Reply AnswerAndClose(std::vector<std::string> lines) {
    return {std::move(lines), Reply::Then::Close};
}
// Answers nothing more on this connection (it stays open until the client closes it).
inline Reply Silence() {
    return {{}, Reply::Then::Silent};
}
using ReplyTable = std::map<std::string, Reply>;

inline ReplyTable SmtpReplies() {
    return {{"", Answer({"220 mail.test ready"})}, {"HELO", Answer({"250 mail.test"})},
            {"MAIL", Answer({"250 ok"})},          {"RCPT", Answer({"250 ok"})},
            {"DATA", Answer({"354 go ahead"})},    {".", Answer({"250 queued"})},
            {"QUIT", AnswerAndClose({"221 bye"})}};
}
inline ReplyTable NntpReplies() {
    return {{"", Answer({"200 news.test ready"})},
            {"MODE", Answer({"200 reader"})},
            {"POST", Answer({"340 send article"})},
            {".", Answer({"240 article posted"})},
            {"QUIT", AnswerAndClose({"205 bye"})}};
}

class DialogueServer {
public:
    explicit DialogueServer(ReplyTable replies) : replies_(std::move(replies)) {}
    void Set(const std::string& word, Reply reply) {
        const std::lock_guard lock(mutex_);
        replies_[word] = std::move(reply);
    }
    std::string address() const { return server_.address(); }
    std::vector<std::string> transcripts() const { return server_.transcripts(); }
    size_t connections() const { return server_.connections(); }
    // Every line received outside a message, CR LF removed, over all connections.
    std::vector<std::string> commands() const {
        const std::lock_guard lock(mutex_);
        return commands_;
    }
    // Each message as received, its final ".\r\n" included.
    std::vector<std::string> messages() const {
        const std::lock_guard lock(mutex_);
        return messages_;
    }

private:
    Reply Lookup(const std::string& line, const std::string& word) const {
        const std::lock_guard lock(mutex_);
        auto found = replies_.find(line);
        if (found == replies_.end())
            found = replies_.find(word);
        return found != replies_.end() ? found->second : Answer({"500 unknown command"});
    }
    // Sends a reply; false when the dialogue is over (closed or silent).
    static bool Say(ScriptedServer& server, int fd, const Reply& reply) {
        std::string bytes;
        for (const std::string& line : reply.lines)
            bytes += line + "\r\n";
        server.Write(fd, bytes, reply.oneByteAtATime);
        if (reply.then == Reply::Then::Silent)
            server.Hold(fd);
        return reply.then == Reply::Then::Continue;
    }
    void Serve(ScriptedServer& server, int fd) {
        if (!Say(server, fd, Lookup("", "")))
            return;
        std::string pending, message;
        for (bool inMessage = false; server.Read(fd, pending);) {
            for (size_t lf; (lf = pending.find('\n')) != std::string::npos;) {
                const std::string raw = pending.substr(0, lf + 1);
                pending.erase(0, lf + 1);
                const std::string line = raw.substr(0, raw.find_first_of("\r\n"));
                const std::string word = line.substr(0, line.find(' '));
                if (inMessage) {
                    message += raw;
                    if (line != ".")
                        continue;
                }
                {
                    const std::lock_guard lock(mutex_);
                    if (inMessage)
                        messages_.push_back(std::move(message));
                    else
                        commands_.push_back(line);
                }
                message.clear();
                const Reply reply = Lookup(line, word);
                inMessage = (word == "DATA" || word == "POST") && !reply.lines.empty() &&
                            reply.lines.back().starts_with('3');
                if (!Say(server, fd, reply))
                    return;
            }
        }
    }

    ReplyTable replies_;
    mutable std::mutex mutex_;
    std::vector<std::string> commands_;
    std::vector<std::string> messages_;
    ScriptedServer server_{[this](ScriptedServer& s, int fd, size_t) { Serve(s, fd); }};
};

// A listener that never accepts and whose queue is full: a connect to it neither succeeds
// nor fails, like a host that drops every packet.
class FullBacklogListener {
public:
    FullBacklogListener() : listenFd_(ListenOnLoopback(0, port_)) {
        const sockaddr_in address = Loopback(port_);
        if (::connect(fillerFd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            std::abort();
    }
    ~FullBacklogListener() {
        ::close(fillerFd_);
        ::close(listenFd_);
    }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

private:
    int port_ = 0;
    int listenFd_;
    int fillerFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
};

} // namespace siteherald::testing
