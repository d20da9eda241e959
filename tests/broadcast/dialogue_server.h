#pragma once

// A line-by-line mail or news server on 127.0.0.1 for the client tests: it greets each
// connection, answers every line from a table the test sets (by the whole line, else by its
// first word), reads the message after a 3xx reply to DATA or POST up to its "." line, and
// records all it was sent.
// Connections are served one after another, as the clients make them.

#include <arpa/inet.h>
#include <cstdlib>
#include <initializer_list>
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

struct Reply {
    enum class Then { Continue, Close, Silent };
    std::vector<std::string> lines; // sent with CR LF each
    Then then = Then::Continue;
};

inline Reply Answer(std::initializer_list<std::string> lines) {
    return {lines, Reply::Then::Continue};
}
// Sends the lines, then closes the connection.
inline Reply AnswerAndClose(std::initializer_list<std::string> lines) {
    return {lines, Reply::Then::Close};
}
// Answers nothing more on this connection (it stays open until the client closes it).
inline Reply Silence() {
    return {{}, Reply::Then::Silent};
}

using ReplyTable = std::map<std::string, Reply>; // "." is the reply to the end of a message

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
    // The table's "" entry is the greeting.
    explicit DialogueServer(ReplyTable replies) : replies_(std::move(replies)) {
        listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), length) ||
            ::listen(listenFd_, 16) ||
            ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&address), &length) ||
            ::pipe(stopPipe_))
            std::abort();
        port_ = ntohs(address.sin_port);
        thread_ = std::thread([this] { Run(); });
    }
    ~DialogueServer() {
        [[maybe_unused]] const ssize_t n = ::write(stopPipe_[1], "s", 1);
        thread_.join();
        ::close(listenFd_);
        ::close(stopPipe_[0]);
        ::close(stopPipe_[1]);
    }
    DialogueServer(const DialogueServer&) = delete;
    DialogueServer& operator=(const DialogueServer&) = delete;

    void Set(const std::string& word, Reply reply) {
        const std::lock_guard lock(mutex_);
        replies_[word] = std::move(reply);
    }

    std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
    // Every line received outside a message, CR LF removed, over all connections.
    std::vector<std::string> commands() const { return Locked(commands_); }
    // Each message as received, its final ".\r\n" included.
    std::vector<std::string> messages() const { return Locked(messages_); }
    // All bytes each connection sent.
    std::vector<std::string> transcripts() const { return Locked(transcripts_); }
    size_t connections() const { return transcripts().size(); }

private:
    template <typename T> T Locked(const T& value) const {
        const std::lock_guard lock(mutex_);
        return value;
    }

    Reply Lookup(const std::string& line, const std::string& word) const {
        const std::lock_guard lock(mutex_);
        auto found = replies_.find(line);
        if (found == replies_.end())
            found = replies_.find(word);
        return found != replies_.end() ? found->second : Answer({"500 unknown command"});
    }

    // Waits for input on fd (or only for the stop signal when fd < 0); false when stopping.
    bool WaitFor(int fd) const {
        pollfd fds[2] = {{stopPipe_[0], POLLIN, 0}, {fd, POLLIN, 0}};
        ::poll(fds, fd < 0 ? 1 : 2, -1);
        return fds[0].revents == 0;
    }

    void Run() {
        while (WaitFor(listenFd_)) {
            const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            {
                const std::lock_guard lock(mutex_);
                transcripts_.emplace_back();
            }
            const bool go = Serve(fd);
            ::close(fd);
            if (!go)
                return;
        }
    }

    // Sends a reply; false when the connection is to end (closed) or go quiet.
    bool Send(int fd, const Reply& reply, bool& silent) {
        std::string bytes;
        for (const std::string& line : reply.lines)
            bytes += line + "\r\n";
        ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        silent = reply.then == Reply::Then::Silent;
        return reply.then != Reply::Then::Close;
    }

    bool Serve(int fd) {
        bool silent = false;
        if (!Send(fd, Lookup("", ""), silent))
            return true;
        std::string pending;
        std::string message;
        bool inMessage = false;
        char buffer[4096];
        for (;;) {
            if (!WaitFor(fd))
                return false;
            const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
            if (got <= 0)
                return true;
            {
                const std::lock_guard lock(mutex_);
                transcripts_.back().append(buffer, static_cast<size_t>(got));
            }
            if (silent)
                continue;
            pending.append(buffer, static_cast<size_t>(got));
            for (size_t lf; (lf = pending.find('\n')) != std::string::npos;) {
                const std::string raw = pending.substr(0, lf + 1);
                pending.erase(0, lf + 1);
                std::string line = raw.substr(0, raw.find_first_of("\r\n"));
                std::string word = line.substr(0, line.find(' '));
                if (inMessage) {
                    message += raw;
                    if (line != ".")
                        continue;
                    inMessage = false;
                    const std::lock_guard lock(mutex_);
                    messages_.push_back(std::move(message));
                    message.clear();
                } else {
                    const std::lock_guard lock(mutex_);
                    commands_.push_back(line);
                }
                const Reply reply = Lookup(line, word);
                inMessage = (word == "DATA" || word == "POST") && !reply.lines.empty() &&
                            reply.lines.back().starts_with('3');
                if (!Send(fd, reply, silent))
                    return true;
                if (silent)
                    break;
            }
        }
    }

    ReplyTable replies_;
    int listenFd_ = -1;
    int port_ = 0;
    int stopPipe_[2] = {-1, -1};
    mutable std::mutex mutex_;
    std::vector<std::string> commands_;
    std::vector<std::string> messages_;
    std::vector<std::string> transcripts_;
    std::thread thread_;
};

} // namespace siteherald::testing
