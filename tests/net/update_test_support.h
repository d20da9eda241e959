#pragma once

// For the version check and data update tests: a UpdateUi that records what it is asked
// and told and answers from a script, and a static HTTP server on loopback
// (python3 -m http.server) serving a temporary folder.

#include "net/update_ui.h"
#include "test_support.h"

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace siteherald::testing {

// Every call becomes one line of `events`, in order: "status: TEXT", "bold: TEXT",
// "info? TEXT" / "confirm? TEXT" (a question), "error! TEXT" / "info! TEXT" (a box),
// "open: ADDRESS", "quit", "engines changed".
class ScriptedUpdateUi : public UpdateUi {
public:
    std::vector<std::string> events;
    std::deque<bool> answers;

    bool AskYesNo(MessageIcon icon, const std::string& text) override {
        events.push_back(Tag(icon) + "? " + text);
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected question: " << text;
            return false;
        }
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    void Tell(MessageIcon icon, const std::string& text) override {
        events.push_back(Tag(icon) + "! " + text);
    }
    void Status(const std::string& text) override { events.push_back("status: " + text); }
    void BoldStatus(const std::string& text) override { events.push_back("bold: " + text); }
    void OpenAddress(const std::string& address) override { events.push_back("open: " + address); }
    void RequestQuit() override { events.push_back("quit"); }
    void EnginesChanged() override { events.push_back("engines changed"); }

private:
    static std::string Tag(MessageIcon icon) {
        switch (icon) {
        case MessageIcon::Information:
            return "info";
        case MessageIcon::Warning:
            return "warning";
        case MessageIcon::Error:
            return "error";
        case MessageIcon::Confirmation:
            return "confirm";
        }
        return "?";
    }
};

// A loopback port that nothing listens on (at the moment of the call).
inline int FreePort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), size) != 0 ||
        ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) != 0)
        std::abort();
    ::close(fd);
    return ntohs(address.sin_port);
}

inline bool Accepts(int port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<uint16_t>(port));
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    ::close(fd);
    return ok;
}

// python3 -m http.server on 127.0.0.1, serving files written with Put. Its request log
// tells which paths were fetched, in order.
class StaticHttpServer {
public:
    StaticHttpServer() : port_(FreePort()) {
        const std::string port = std::to_string(port_);
        const std::string log = logDir_ / "requests.log";
        std::vector<std::string> args = {SITEHERALD_PYTHON, "-m", "http.server", "--bind",
                                         "127.0.0.1",       port, "--directory", root_.path()};
        std::vector<char*> argv;
        for (std::string& arg : args)
            argv.push_back(arg.data());
        argv.push_back(nullptr);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        posix_spawn_file_actions_addopen(&actions, 2, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                         0644);
        const int rc = ::posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) {
            pid_ = -1;
            return;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (!Accepts(port_) && std::chrono::steady_clock::now() < deadline) {
            int status = 0;
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    }
    ~StaticHttpServer() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    StaticHttpServer(const StaticHttpServer&) = delete;
    StaticHttpServer& operator=(const StaticHttpServer&) = delete;

    bool running() const { return pid_ > 0 && Accepts(port_); }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/" + path;
    }
    void Put(const std::string& name, const std::string& bytes) const {
        WriteBytes(root_ / name, bytes);
    }
    void Remove(const std::string& name) const { std::remove((root_ / name).c_str()); }
    // The paths asked for so far, in order.
    std::vector<std::string> Requests() const {
        std::ifstream log(logDir_ / "requests.log");
        std::vector<std::string> paths;
        for (std::string line; std::getline(log, line);) {
            const size_t get = line.find("\"GET /");
            if (get == std::string::npos)
                continue;
            const size_t start = get + 6;
            const size_t end = line.find(" HTTP", start);
            if (end != std::string::npos && line.find(' ', start) == end)
                paths.push_back(line.substr(start, end - start));
        }
        return paths;
    }

private:
    TempDir root_;
    TempDir logDir_;
    int port_;
    pid_t pid_ = -1;
};

} // namespace siteherald::testing
