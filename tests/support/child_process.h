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

} // namespace siteherald::testing
