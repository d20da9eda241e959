#include "mail_news.h"

#include "message_format.h"

namespace siteherald {

std::vector<std::string> T_MailNews::Compose(const std::vector<std::string>& ownHeaders,
                                             const std::string& localHost, std::time_t now) const {
    std::vector<std::string> lines;
    lines.push_back("From: " + HeaderValue(From));
    lines.push_back("Message-ID: " + MakeMessageId(now, localHost));
    lines.push_back("Date: " + MessageDate(now));
    lines.push_back("Subject: " + HeaderValue(Subject));
    lines.insert(lines.end(), ownHeaders.begin(), ownHeaders.end());
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
    return lines;
}

void T_Mail::SendMessage() {
    if (SMTP == nullptr || Recipients.empty() || From.empty())
        return;
    // A message without its own envelope sender uses Sender or From, for this message only.
    struct EnvelopeFor {
        EnvelopeFor(T_SMTP& smtp, const std::string& sender) : smtp_(smtp) {
            if (smtp_.EnvelopeSender.empty()) {
                smtp_.EnvelopeSender = sender;
                own_ = true;
            }
        }
        ~EnvelopeFor() {
            if (own_)
                smtp_.EnvelopeSender.clear();
        }
        T_SMTP& smtp_;
        bool own_ = false;
    } envelope(*SMTP, Sender.empty() ? From : Sender);

    std::vector<std::string> headers;
    if (Disclose_Receipts) {
        headers.push_back("To: disclosed recipients list");
    } else {
        for (const std::string& recipient : Recipients)
            headers.push_back("To: " + HeaderValue(recipient));
    }
    SMTP->Recipients = Recipients;
    for (const std::string& line : CC) {
        headers.push_back("CC: " + HeaderValue(line));
        SMTP->Recipients.push_back(line);
    }
    for (const std::string& line : BCC)
        SMTP->Recipients.push_back(line);
    SMTP->MessageLines = Compose(headers, LocalHostName(), std::time(nullptr));
    SMTP->Action();
}

void T_News::SendMessage() {
    if (NNTP == nullptr || Newsgroups.empty() || Newsgroups.size() > 10 || From.empty())
        return;
    std::vector<std::string> headers;
    for (size_t i = 0; i < Newsgroups.size(); ++i) {
        const std::string group = HeaderValue(Newsgroups[i]);
        const std::string end = i + 1 < Newsgroups.size() ? "," : "";
        headers.push_back((i == 0 ? "Newsgroups: " : "  ") + group + end);
    }
    if (!Organization.empty())
        headers.push_back("Organization: " + HeaderValue(Organization));
    try {
        NNTP->MessageLines = Compose(headers, LocalHostName(), std::time(nullptr));
        NNTP->Post();
    } catch (...) {
        NNTP->T_TcpIp::Logout();
        throw;
    }
    // The article is accepted; a server that stumbles over QUIT does not undo that.
    try {
        NNTP->Logout();
    } catch (const std::exception&) {
        NNTP->T_TcpIp::Logout();
    }
}

} // namespace siteherald
