// siteherald-cli send: mails a submission file's message to mailing lists and posts it to
// newsgroups, as "Send Message" does.
#include "broadcast/attached_messages.h"
#include "broadcast/broadcast_log.h"
#include "broadcast/broadcast_run.h"
#include "broadcast/identity.h"
#include "broadcast/mailing_lists.h"
#include "cli_common.h"
#include "cli_passwords.h"
#include "core/ascii.h"
#include "core/data_dir.h"
#include "core/line_file.h"

#include <algorithm>
#include <clocale>
#include <cstdio>

namespace siteherald::cli {

namespace {

struct SendOptions {
    std::string sdfFile;
    std::string subject;
    std::vector<std::string> listFiles;
    std::vector<std::string> newsgroups;
};

bool ParseSendArguments(const Arguments& args, SendOptions& options, std::string& problem) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--list" || arg == "--newsgroup") {
            if (i + 1 == args.size()) {
                problem = arg + (arg == "--list" ? " needs a file name" : " needs a name");
                return false;
            }
            (arg == "--list" ? options.listFiles : options.newsgroups).push_back(args[++i]);
        } else if (arg.size() > 1 && arg[0] == '-') {
            problem = "unknown option \"" + arg + "\"";
            return false;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.size() != 2) {
        problem = "send takes a submission data file and a message subject";
        return false;
    }
    options.sdfFile = positional[0];
    options.subject = positional[1];
    return true;
}

// A list is named after its file, less the file's last four characters (".txt").
std::string ListName(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    return name.size() > 4 ? name.substr(0, name.size() - 4) : name;
}

} // namespace

int RunSend(const Arguments& args) {
    SendOptions options;
    std::string problem;
    if (!ParseSendArguments(args, options, problem))
        return UsageError(problem);
    std::setlocale(LC_TIME, "");
    try {
        LineList fileLines;
        if (!LoadLineFile(options.sdfFile, fileLines))
            return FileProblem("Unable to read " + options.sdfFile + ": No such file");
        LineList store;
        for (const std::string& listFile : options.listFiles) {
            LineList addresses;
            if (!LoadLineFile(listFile, addresses))
                return FileProblem("Unable to read " + listFile + ": No such file");
            AppendMailingList(store, ListName(listFile), addresses);
        }
        std::sort(options.newsgroups.begin(), options.newsgroups.end(), LessIgnoringCase);

        const auto subjects = MessageSubjects(fileLines);
        const auto text = ReturnMessage(fileLines, options.subject);
        const bool known =
            text && std::find(subjects.begin(), subjects.end(), options.subject) != subjects.end();
        BroadcastSender::Request request;
        request.identity = ReadIdentity();
        const std::string refusal = BroadcastValidationMessage(
            {!store.empty(), !options.newsgroups.empty(), known}, request.identity);
        if (!refusal.empty()) {
            std::fprintf(stderr, "%s\n", refusal.c_str());
            return kExitNotSent;
        }
        CliPasswordSource passwords;
        const RunLogins logins =
            LookUpLogins(request.identity, !store.empty(), !options.newsgroups.empty(), passwords);
        if (!logins.problem.empty()) {
            std::fprintf(stderr, "siteherald-cli: %s\n", logins.problem.c_str());
            return kExitNotSent;
        }
        request.mailLogin = logins.mail;
        request.newsLogin = logins.news;
        request.mailingListLines = std::move(store);
        request.newsgroups = options.newsgroups;
        request.subject = options.subject;
        request.messageText = *text;
        request.preview = MessagePreview(options.subject, *text);
        request.submissionFile = options.sdfFile;
        request.logDir = ResolveDataDir();

        BroadcastSender sender;
        BroadcastSender::Hooks hooks;
        hooks.result = [](const std::string& line, const std::string& error) {
            std::printf("%s\n", line.c_str());
            std::fflush(stdout);
            if (!error.empty())
                std::fprintf(stderr, "siteherald-cli: %s: %s\n",
                             line.substr(line.find(' ') + 1).c_str(), error.c_str());
        };
        const BroadcastSender::Report report = sender.Run(request, hooks);
        for (const std::string& error : report.logErrors)
            std::fprintf(stderr, "siteherald-cli: %s\n", error.c_str());
        return report.logErrors.empty() ? kExitDone : kExitFileError;
    } catch (const FileError& e) {
        return FileProblem(e.what());
    }
}

} // namespace siteherald::cli
