#include "mail_news.h"

#include "message_format.h"

namespace siteherald {

void T_MailNews::Compose(const std::string& localHost, std::time_t now) {
    std::vector<std::string> lines;
    lines.push_back("From: " + HeaderValue(From));
    lines.push_back("Message-ID: " + MakeMessageId(now, localHost));
    lines.push_back("Date: " + MessageDate(now));
    lines.push_back("Subject: " + HeaderValue(Subject));
    lines.insert(lines.end(), output_.begin(), output_.end());
    if (!Sender.empty())
        lines.push_back("Sender: " + HeaderValue(Sender));
    if (!References.empty())
        lines.push_back("References: " + HeaderValue(References));
    if (!ReplyTo.empty())
        lines.push_back("Reply-To: " + HeaderValue(ReplyTo));
    for (const std::string& line : Header)
        lines.push_back(HeaderValue(line));
    lines.emplace_back();
    lines.insert(lines.end(), Body.begin(), Body.end());
    output_ = std::move(lines);
}

void T_Mail::SendMessage() {
    if (SMTP == nullptr || Recipients.empty() || From.empty())
        return;
    const bool ownSender = SMTP->EnvelopeSender.empty();
    if (ownSender)
        SMTP->EnvelopeSender = Sender.empty() ? From : Sender;
    output_.clear();
    if (Disclose_Receipts) {
        output_.push_back("To: disclosed recipients list");
    } else {
        for (const std::string& recipient : Recipients)
            output_.push_back("To: " + HeaderValue(recipient));
    }
    SMTP->Recipients = Recipients;
    for (const std::string& line : CC) {
        output_.push_back("CC: " + HeaderValue(line));
        SMTP->Recipients.push_back(line);
    }
    for (const std::string& line : BCC)
        SMTP->Recipients.push_back(line);
    try {
        Compose(LocalHostName(), std::time(nullptr));
        SMTP->MessageLines = output_;
        SMTP->Action();
    } catch (...) {
        if (ownSender)
            SMTP->EnvelopeSender.clear();
        output_.clear();
        throw;
    }
    if (ownSender)
        SMTP->EnvelopeSender.clear();
    output_.clear();
}

void T_News::SendMessage() {
    if (NNTP == nullptr || Newsgroups.empty() || Newsgroups.size() > 10 || From.empty())
        return;
    output_.clear();
    for (size_t i = 0; i < Newsgroups.size(); ++i) {
        const std::string group = HeaderValue(Newsgroups[i]);
        const std::string end = i + 1 < Newsgroups.size() ? "," : "";
        output_.push_back((i == 0 ? "Newsgroups: " : "  ") + group + end);
    }
    if (!Organization.empty())
        output_.push_back("Organization: " + HeaderValue(Organization));
    try {
        Compose(LocalHostName(), std::time(nullptr));
        NNTP->MessageLines = output_;
        NNTP->Post();
    } catch (...) {
        output_.clear();
        NNTP->T_TcpIp::Logout();
        throw;
    }
    output_.clear();
    // The article is accepted; a server that stumbles over QUIT does not undo that.
    try {
        NNTP->Logout();
    } catch (const std::exception&) {
        NNTP->T_TcpIp::Logout();
    }
}

} // namespace siteherald
