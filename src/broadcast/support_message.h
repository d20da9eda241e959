#pragma once

#include "core/line_file.h"
#include "mail_news.h"

#include <string>
#include <vector>

namespace siteherald {

struct SupportRequest {
    std::string name;
    std::string email;
    std::string messageType; // "Question", "Comment", ...
    LineList message;
};

inline constexpr const char* kSupportSubject = "E-mail Support - Siteherald";

// The body sent to support: who writes, the kind of message, the message, then the settings
// file's lines and those of sedata.dat and profs.dat in `dataDir` ("N/A" for a missing one).
LineList SupportMessageBody(const SupportRequest& request, const std::string& settingsFile,
                            const std::string& dataDir);

// The built-in support address, then the "Main"/"SupportEmail" setting's (when it differs).
std::vector<std::string> SupportRecipients();

// Sets the composer for the support message; the caller points its client at the mail
// server (BroadcastSender::ConfigureMail).
void PrepareSupportMail(T_Mail& mail, const SupportRequest& request, const LineList& body);

} // namespace siteherald
