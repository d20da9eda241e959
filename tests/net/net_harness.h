#pragma once

// Real servers for the net tests, run as child processes on 127.0.0.1, and an UpdateUi that
// records what it is asked and told.

#include "net/update_ui.h"
#include "support/scripted_server.h"
#include "test_support.h"

#include <cerrno>
#include <csignal>
#include <deque>
#include <fcntl.h>
#include <fstream>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace siteherald::testing {

// True once 127.0.0.1:port accepts connections.
inline bool WaitForPort(int port, std::chrono::milliseconds limit) {
    for (const auto end = std::chrono::steady_clock::now() + limit;
         std::chrono::steady_clock::now() < end;) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_in address = Loopback(port);
        const bool up =
            ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
        ::close(fd);
        if (up)
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

// The system's copy of a program when there is one: a version manager's shim found first on
// PATH adds a second to every start.
inline std::string SystemProgram(const std::string& name) {
    const std::string path = "/usr/bin/" + name;
    return ::access(path.c_str(), X_OK) == 0 ? path : name;
}

// A program started in `workDir` with its output discarded (its standard error into
// `errorFile` when one is named); stopped (SIGTERM) and reaped when the object goes.
class ChildProcess {
public:
    ChildProcess(const std::vector<std::string>& argv, const std::string& workDir,
                 const std::string& errorFile = "/dev/null") {
        std::vector<char*> args;
        for (const std::string& a : argv)
            args.push_back(const_cast<char*>(a.c_str()));
        args.push_back(nullptr);
        const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        const int error = ::open(errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(devNull, 0);
            ::dup2(devNull, 1);
            ::dup2(error, 2);
            if (::chdir(workDir.c_str()) == 0)
                ::execvp(args[0], args.data());
            ::_exit(127);
        }
        ::close(devNull);
        ::close(error);
    }
    ~ChildProcess() {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGTERM);
            Wait();
        }
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits for the program to end; its exit status.
    int Wait() {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
        }
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    pid_t pid_ = -1;
    bool exited_ = false;
};

// Runs a program to its end; true when it exited with 0.
inline bool RunProgram(const std::vector<std::string>& argv, const std::string& workDir) {
    return ChildProcess(argv, workDir).Wait() == 0;
}

// python3 -m http.server on 127.0.0.1, serving the files written with Put. Its request log
// tells which paths were fetched, in order.
class StaticHttpServer {
public:
    bool running() const { return up_; }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/" + path;
    }
    void Put(const std::string& name, const std::string& bytes) const {
        WriteBytes(root_ / name, bytes);
    }
    void Remove(const std::string& name) const { std::remove((root_ / name).c_str()); }
    std::string root() const { return root_.path(); }
    // The paths asked for so far, in order.
    std::vector<std::string> Requests() const {
        std::ifstream log(logDir_ / "requests.log");
        std::vector<std::string> paths;
        for (std::string line; std::getline(log, line);) {
            const size_t get = line.find("\"GET /");
            const size_t end = line.find(" HTTP", get);
            if (get != std::string::npos && end != std::string::npos)
                paths.push_back(line.substr(get + 6, end - get - 6));
        }
        return paths;
    }

private:
    TempDir root_;
    TempDir logDir_;
    int port_ = FreePort();
    ChildProcess process_{{SITEHERALD_PYTHON, "-m", "http.server", "--bind", "127.0.0.1",
                           std::to_string(port_), "--directory", root_.path()},
                          root_.path(),
                          logDir_ / "requests.log"};
    bool up_ = WaitForPort(port_, std::chrono::seconds(20));
};

// Every call becomes one line of `events`, in order: "status: TEXT", "bold: TEXT",
// "info? TEXT" / "confirm? TEXT" (a question), "error! TEXT" / "info! TEXT" (a box),
// "open: ADDRESS", "quit", "engines changed". Questions take the next of `answers`.
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
        static const char* const tags[] = {"info", "warning", "error", "confirm"};
        return tags[static_cast<int>(icon)];
    }
};

} // namespace siteherald::testing
