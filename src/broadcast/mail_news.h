#pragma once

#include "nntp_client.h"
#include "smtp_client.h"

#include <ctime>
#include <string>
#include <vector>

namespace siteherald {

// Builds the header and body lines of one e-mail or article.
class T_MailNews {
public:
    std::string From;
    std::string Sender;
    std::string Subject;
    std::string References;
    std::string ReplyTo;
    std::vector<std::string> Body;   // an item may hold several lines
    std::vector<std::string> Header; // extra header lines

protected:
    // The message: From, Message-ID, Date, Subject, the composer's own header lines, then
    // Sender, References, Reply-To, the extra header lines, an empty line and the body.
    std::vector<std::string> Compose(const std::vector<std::string>& ownHeaders,
                                     const std::string& localHost, std::time_t now) const;
};

class T_Mail : public T_MailNews {
public:
    T_SMTP* SMTP = nullptr;
    std::vector<std::string> Recipients;
    std::vector<std::string> CC;
    std::vector<std::string> BCC;
    bool Disclose_Receipts = false;

    // One message to all recipients. Does nothing without SMTP, a recipient or From.
    void SendMessage();
};

class T_News : public T_MailNews {
public:
    T_NNTP* NNTP = nullptr;
    std::vector<std::string> Newsgroups;
    std::string Organization;

    // One article to 1 to 10 newsgroups. Does nothing without NNTP or From, or with no or
    // more than ten newsgroups.
    void SendMessage();
};

} // namespace siteherald
