#pragma once

#include "core/line_file.h"
#include "identity.h"
#include "mail_news.h"
#include "send_thread.h"

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace siteherald {

// The clients a program owns for its sends, and the run that mails a message to the
// mailing lists and posts it to the newsgroups: one send at a time on a worker thread.
class BroadcastSender {
public:
    BroadcastSender();

    T_SMTP SMTP1;
    T_NNTP NNTP1;
    T_Mail Mail1;
    T_News News1;

    struct Request {
        LineList mailingListLines;           // the mailing-list store
        std::vector<std::string> newsgroups; // in the order they are listed
        std::string subject;
        std::string messageText; // CR LF between lines
        LineList preview;        // what the log records of the message
        std::string submissionFile;
        Identity identity;
        // The servers' logins with their passwords (LookUpLogins); no user: no login.
        ServerLogin mailLogin;
        ServerLogin newsLogin;
        std::string logDir; // where mail.log and news.log are; empty: the working directory
    };
    struct Hooks {
        std::function<void()> idle; // called at least every 20 ms while a send runs
        std::function<void(const std::string& text)> status;
        std::function<void(size_t done, size_t total)> progress;
        // After each send: the result line ("Succeeded: "/"Failed: " + target) and, for a
        // failure, the reason.
        std::function<void(const std::string& line, const std::string& error)> result;
    };
    struct Report {
        std::vector<std::string> mailResults;
        std::vector<std::string> newsResults;
        std::vector<std::string> logErrors; // logs that could not be written
        bool cancelled = false;
    };

    // The run: the e-mail part when the store holds lines, then, unless cancelled, the news
    // part when there are newsgroups; each part appends its entry to its log in the working
    // directory. Validation is the caller's (BroadcastValidationMessage).
    Report Run(const Request& request, const Hooks& hooks);

    // Points SMTP1 or NNTP1 at the identity's server, with its security and login.
    void ConfigureMail(const Identity& identity, const ServerLogin& login);
    void ConfigureNews(const Identity& identity, const ServerLogin& login);

    // Stops a run before its next send (the send in progress completes).
    void Cancel() { CancelSend = true; }
    // Stops at once: also ends the send in progress, which fails.
    void Abort();

    // One e-mail or one article on a worker thread, with the properties set on Mail1 or News1
    // (SendMail also serves a send outside a run: the support message).
    SendOutcome SendMail(const std::function<void()>& idle);
    SendOutcome SendNews(const std::function<void()>& idle);

    // True while a run or a single send is in progress; a second one must not start.
    bool Busy() const { return !MailDone || !NewsDone || running_; }

    std::atomic<bool> CancelSend{false};
    bool MailDone = true;
    bool NewsDone = true;

private:
    SendOutcome RunSend(SendThread&& thread, T_TcpIp& client, bool& done,
                        const std::function<void()>& idle);

    bool running_ = false;
};

} // namespace siteherald
