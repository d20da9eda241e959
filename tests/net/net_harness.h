#pragma once

// For the net tests: an HTTP client that logs its events, a real static HTTP server, and an
// UpdateUi that records what it is asked and told.

#include "net/http_client.h"
#include "net/http_exception.h"
#include "net/update_ui.h"
#include "support/child_process.h"
#include "test_support.h"

#include <deque>
#include <fstream>
#include <gtest/gtest.h>
#include <random>

namespace siteherald::testing {

inline std::string RandomBytes(size_t size) {
    std::string bytes(size, '\0');
    std::mt19937 random(1234);
    for (char& byte : bytes)
        byte = static_cast<char>(random());
    return bytes;
}

// A client that logs its events. Its time-outs are long enough for a loaded machine; the
// time-out tests shorten them.
struct Client {
    Client() {
        http.ReceiveStream = &body;
        http.Timeouts.connect = http.Timeouts.idle = std::chrono::seconds(10);
        http.OnDocEnd = [this](THttpCli&) { events.push_back("DocEnd"); };
        http.OnRequestDone = [this](THttpCli&, int kind, int error) {
            events.push_back("RequestDone " + std::to_string(kind) + " " + std::to_string(error));
        };
    }
    // Runs Get; "" when it returned, else the failure's code and message.
    std::string Get(const std::string& url) try {
        http.Url = url;
        http.Get();
        return "";
    } catch (const EHttpException& e) {
        return std::to_string(e.code()) + " " + e.what();
    }

    THttpCli http;
    MemoryStream body;
    std::vector<std::string> events;
};

// python3 -m http.server on 127.0.0.1, serving the files written with Put.
class StaticHttpServer {
public:
    bool running() const { return up_; }
    std::string url(const std::string& path) const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/" + path;
    }
    void Put(const std::string& name, const std::string& bytes) const {
        WriteBytes(root_ / name, bytes);
    }
    std::string root() const { return root_.path(); }
    // The paths asked for so far, in order, from the server's request log.
    std::vector<std::string> Requests() const {
        std::ifstream log(logDir_ / "requests.log");
        std::vector<std::string> paths;
        for (std::string line; std::getline(log, line);)
            if (const size_t get = line.find("\"GET /"); get != std::string::npos)
                paths.push_back(line.substr(get + 6, line.find(" HTTP", get) - get - 6));
        return paths;
    }

private:
    TempDir root_, logDir_;
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
        EXPECT_FALSE(answers.empty()) << "unexpected question: " << text;
        const bool answer = !answers.empty() && answers.front();
        if (!answers.empty())
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
        return std::vector<std::string>{"info", "warning", "error", "confirm"}[int(icon)];
    }
};

} // namespace siteherald::testing
