#pragma once

// Real servers for the tests, run as child processes on 127.0.0.1.

#include "scripted_server.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>

namespace siteherald::testing {

// True once 127.0.0.1:port accepts connections.
inline bool WaitForPort(int port, std::chrono::milliseconds limit) {
    for (const auto end = std::chrono::steady_clock::now() + limit;;) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const sockaddr_in address = Loopback(port);
        const int failed =
            ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        ::close(fd);
        if (failed == 0 || std::chrono::steady_clock::now() > end)
            return failed == 0;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
}

// The system's copy of a program when there is one: a version manager's shim found first on
// PATH adds a second to every start.
inline std::string SystemProgram(const std::string& name) {
    return ::access(("/usr/bin/" + name).c_str(), X_OK) == 0 ? "/usr/bin/" + name : name;
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
        if ((pid_ = ::fork()) == 0) {
            ::dup2(devNull, 0), ::dup2(devNull, 1), ::dup2(error, 2);
            if (::chdir(workDir.c_str()) == 0)
                ::execvp(args[0], args.data());
            ::_exit(127);
        }
        ::close(devNull), ::close(error);
    }
    ~ChildProcess() {
        if (pid_ > 0 && status_ == kRunning && ::kill(pid_, SIGTERM) == 0)
            Wait();
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // Waits for the program to end; its exit status (-1 when a signal ended it).
    int Wait() {
        int status = 0;
        while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR)
            continue;
        return status_ = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }

private:
    static constexpr int kRunning = -2;
    pid_t pid_ = -1;
    int status_ = kRunning;
};

// Runs a program to its end; true when it exited with 0.
inline bool RunProgram(const std::vector<std::string>& argv, const std::string& workDir) {
    return ChildProcess(argv, workDir).Wait() == 0;
}

} // namespace siteherald::testing
