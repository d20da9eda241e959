#pragma once

// A TCP server on 127.0.0.1 for the answers no real server gives on request: connections served
// one after another, each one's bytes kept, running an HTTP script or a mail or news dialogue.

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
    sockaddr_in address{AF_INET, htons(static_cast<uint16_t>(port)), {htonl(INADDR_LOOPBACK)}, {}};
    return address;
}

inline int ListenOnLoopback(int backlog, int& port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address = Loopback(0);
    socklen_t length = sizeof address;
    if (fd < 0 || ::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
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

// One step of an HTTP script: a pause, then the bytes (one at a time, a little apart, when
// dribbled), then for Hold no further byte until the client closes.
struct Step {
    std::string bytes;
    int pauseMs = 0;
    bool dribble = false, hold = false;
};
inline const auto Send = [](std::string bytes) { return Step{std::move(bytes)}; };
inline const auto Dribble = [](std::string bytes) { return Step{std::move(bytes), 0, true}; };
inline const auto Pause = [](std::chrono::milliseconds ms) { return Step{"", int(ms.count())}; };
inline const auto Hold = [] { return Step{"", 0, false, true}; };
using Script = std::vector<Step>;

class ScriptedServer {
public:
    // Serves connection number n (from 0) on socket fd.
    using Handler = std::function<void(ScriptedServer&, int fd, size_t n)>;

    explicit ScriptedServer(Handler handler) : handler_(std::move(handler)) {
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
                  if (!s.Pause(step.pauseMs))
                      return;
                  s.Write(fd, step.bytes, step.dribble);
                  if (step.hold)
                      s.Hold(fd);
              }
          }) {}
    explicit ScriptedServer(Script script) : ScriptedServer(std::vector<Script>{script}) {}
    ~ScriptedServer() {
        [[maybe_unused]] const ssize_t n = ::write(stopPipe_[1], "s", 1);
        thread_.join();
        for (const int fd : {listenFd_, stopPipe_[0], stopPipe_[1]})
            ::close(fd);
    }

    int port() const { return port_; }
    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    std::string url(const std::string& path = "/") const { return "http://" + address() + path; }
    // All bytes each connection sent (for HTTP, its request).
    std::vector<std::string> requests() const {
        const std::lock_guard lock(mutex_);
        return transcripts_;
    }
    size_t connections() const { return requests().size(); }

    // For handlers; each wait ends early when the server stops. Read appends what arrives,
    // false when the client closed or the server stops.
    bool Read(int fd, std::string& into) {
        char buffer[4096];
        const ssize_t got = WaitFor(fd, -1) ? ::recv(fd, buffer, sizeof buffer, 0) : 0;
        if (got <= 0)
            return false;
        into.append(buffer, size_t(got));
        const std::lock_guard lock(mutex_);
        transcripts_.back().append(buffer, size_t(got));
        return true;
    }
    void Write(int fd, const std::string& bytes, bool oneByteAtATime = false) {
        for (size_t at = 0; oneByteAtATime && at < bytes.size() && Pause(2); ++at)
            ::send(fd, &bytes[at], 1, MSG_NOSIGNAL);
        if (!oneByteAtATime)
            ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    }
    bool Pause(int ms) { return WaitFor(-1, ms); }
    // Reads on until the client closes.
    void Hold(int fd) {
        for (std::string ignored; Read(fd, ignored);)
            ignored.clear();
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
            mutex_.lock();
            transcripts_.emplace_back();
            mutex_.unlock();
            handler_(*this, fd, n++);
            ::close(fd);
        }
    }

    Handler handler_;
    int port_ = 0;
    int listenFd_ = ListenOnLoopback(16, port_);
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
inline const auto Answer = [](std::vector<std::string> lines) { return Reply{std::move(lines)}; };
inline const auto AnswerAndClose = [](std::vector<std::string> lines) {
    return Reply{std::move(lines), Reply::Then::Close};
};
// Answers nothing more on this connection (it stays open until the client closes it).
inline const auto Silence = [] { return Reply{{}, Reply::Then::Silent}; };
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
    std::vector<std::string> transcripts() const { return server_.requests(); }
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
    // Sends the reply for a line; false when the dialogue is over (closed or silent).
    bool Say(ScriptedServer& server, int fd, const std::string& line) {
        mutex_.lock();
        auto found = replies_.find(line);
        found = found != replies_.end() ? found : replies_.find(line.substr(0, line.find(' ')));
        const Reply reply = found != replies_.end() ? found->second : Answer({"500 unknown"});
        mutex_.unlock();
        std::string bytes;
        for (const std::string& text : reply.lines)
            bytes += text + "\r\n";
        server.Write(fd, bytes, reply.oneByteAtATime);
        if (reply.then == Reply::Then::Silent)
            server.Hold(fd);
        inMessage_ = (line.starts_with("DATA") || line.starts_with("POST")) &&
                     !reply.lines.empty() && reply.lines.back().starts_with('3');
        return reply.then == Reply::Then::Continue;
    }
    void Serve(ScriptedServer& server, int fd) {
        std::string pending, message;
        for (bool on = Say(server, fd, ""); on && server.Read(fd, pending);) {
            for (size_t lf; on && (lf = pending.find('\n')) != std::string::npos;) {
                const std::string raw = pending.substr(0, lf + 1);
                const std::string line = raw.substr(0, raw.find_first_of("\r\n"));
                pending.erase(0, lf + 1);
                if (inMessage_) {
                    message += raw;
                    if (line != ".")
                        continue;
                }
                mutex_.lock();
                inMessage_ ? messages_.push_back(std::move(message)) : commands_.push_back(line);
                mutex_.unlock();
                message.clear();
                on = Say(server, fd, line);
            }
        }
    }

    ReplyTable replies_;
    bool inMessage_ = false; // only the server's thread uses it
    mutable std::mutex mutex_;
    std::vector<std::string> commands_;
    std::vector<std::string> messages_;
    ScriptedServer server_{[this](ScriptedServer& s, int fd, size_t) { Serve(s, fd); }};
};

// A listener that never accepts and whose queue is full: a connect to it neither succeeds
// nor fails, like a host that drops every packet.
class FullBacklogListener {
public:
    FullBacklogListener() {
        const sockaddr_in address = Loopback(port_);
        if (::connect(fillerFd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
            std::abort();
    }
    ~FullBacklogListener() { ::close(fillerFd_), ::close(listenFd_); }
    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_) + "/"; }

private:
    int port_ = 0;
    int listenFd_ = ListenOnLoopback(0, port_);
    int fillerFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
};

} // namespace siteherald::testing
