#include "broadcast_run.h"

#include "broadcast_log.h"
#include "core/data_dir.h"
#include "mailing_lists.h"

#include <ctime>

namespace siteherald {

namespace {

struct RunningFlag {
    explicit RunningFlag(bool& flag) : flag_(flag) { flag_ = true; }
    ~RunningFlag() { flag_ = false; }
    bool& flag_;
};

void ShowStatus(const BroadcastSender::Hooks& hooks, const std::string& status) {
    if (hooks.status)
        hooks.status(status);
}

} // namespace

BroadcastSender::BroadcastSender() {
    Mail1.SMTP = &SMTP1;
    News1.NNTP = &NNTP1;
}

void BroadcastSender::ConfigureMail(const Identity& identity, const ServerLogin& login) {
    SMTP1.Hostname = identity.MailServer;
    SMTP1.Security =
        ParseTransportSecurity(identity.MailSecurity).value_or(TransportSecurity::Auto);
    SMTP1.Credentials = login;
}

void BroadcastSender::ConfigureNews(const Identity& identity, const ServerLogin& login) {
    NNTP1.Hostname = identity.NewsServer;
    NNTP1.Security =
        ParseTransportSecurity(identity.NewsSecurity).value_or(TransportSecurity::Auto);
    NNTP1.Credentials = login;
}

void BroadcastSender::Abort() {
    CancelSend = true;
    SMTP1.Abort();
    NNTP1.Abort();
}

SendOutcome BroadcastSender::RunSend(SendThread&& thread, T_TcpIp& client, bool& done,
                                     const std::function<void()>& idle) {
    client.ClearAbort();
    done = false;
    const SendOutcome outcome = thread.Run(idle);
    done = true;
    return outcome;
}

SendOutcome BroadcastSender::SendMail(const std::function<void()>& idle) {
    return RunSend(TEmailThread(Mail1), SMTP1, MailDone, idle);
}

SendOutcome BroadcastSender::SendNews(const std::function<void()>& idle) {
    return RunSend(TNewsThread(News1), NNTP1, NewsDone, idle);
}

BroadcastSender::Report BroadcastSender::Run(const Request& request, const Hooks& hooks) {
    const RunningFlag running(running_);
    Report report;
    CancelSend = false;
    const std::string from = FromHeader(request.identity.Name, request.identity.Email);
    const auto prepare = [&](T_MailNews& composer) {
        composer.From = from;
        composer.Subject = request.subject;
        composer.ReplyTo = request.identity.Email;
        composer.Body = {request.messageText};
    };
    const auto log = [&](const char* file, const std::vector<std::string>& results) {
        try {
            const std::string path = request.logDir.empty() ? file : JoinPath(request.logDir, file);
            AppendBroadcastLog(path, request.submissionFile, request.preview, results,
                               std::time(nullptr));
        } catch (const FileError& error) {
            report.logErrors.push_back(error.what());
        }
    };
    const auto record = [&](std::vector<std::string>& results, const std::string& target,
                            const SendOutcome& outcome) {
        results.push_back((outcome.sent ? "Succeeded: " : "Failed: ") + target);
        if (hooks.result)
            hooks.result(results.back(), outcome.error);
    };
    // Once a server has let a send run into its time-out, or TLS or the login failed, the
    // run's remaining sends to it fail at once for the same reason instead of each waiting as
    // long again or trying the password again.
    const auto sendUntilServerEnds = [](SendOutcome& ended, const auto& send) {
        if (ended.endsServer)
            return ended;
        const SendOutcome outcome = send();
        if (outcome.endsServer)
            ended = outcome;
        return outcome;
    };

    if (!request.mailingListLines.empty()) {
        prepare(Mail1);
        ConfigureMail(request.identity, request.mailLogin);
        const std::vector<std::string> sendList = SendList(request.mailingListLines);
        SendOutcome ended;
        for (size_t i = 0; i < sendList.size() && !CancelSend; ++i) {
            Mail1.Recipients = {sendList[i]};
            ShowStatus(hooks, "Sending e-mail to " + sendList[i] + ".");
            if (hooks.progress)
                hooks.progress(i, sendList.size());
            record(report.mailResults, sendList[i],
                   sendUntilServerEnds(ended, [&] { return SendMail(hooks.idle); }));
        }
        ShowStatus(hooks, "");
        log(kMailLog, report.mailResults);
        if (CancelSend) {
            report.cancelled = true;
            return report;
        }
    }

    if (!request.newsgroups.empty()) {
        prepare(News1);
        ConfigureNews(request.identity, request.newsLogin);
        const size_t count = std::min(request.newsgroups.size(), kNewsgroupLimit);
        SendOutcome ended;
        for (size_t i = 0; i < count && !CancelSend; ++i) {
            const std::string& group = request.newsgroups[i];
            News1.Newsgroups = {group};
            ShowStatus(hooks, "Sending message to " + group + ".");
            if (hooks.progress)
                hooks.progress(i, count);
            record(report.newsResults, group,
                   sendUntilServerEnds(ended, [&] { return SendNews(hooks.idle); }));
        }
        ShowStatus(hooks, "");
        log(kNewsLog, report.newsResults);
        report.cancelled = CancelSend;
    }
    return report;
}

} // namespace siteherald
