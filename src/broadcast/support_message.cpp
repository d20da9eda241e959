#include "support_message.h"

#include "core/data_dir.h"
#include "core/product_defaults.h"
#include "core/settings_keys.h"
#include "identity.h"

namespace siteherald {

namespace {

void AppendFile(LineList& body, const std::string& path, bool notAvailableWhenMissing) {
    LineList lines;
    try {
        if (!LoadLineFile(path, lines) && notAvailableWhenMissing)
            lines = {"N/A"};
    } catch (const FileError&) {
        lines = {"N/A"};
    }
    body.insert(body.end(), lines.begin(), lines.end());
}

} // namespace

LineList SupportMessageBody(const SupportRequest& request, const std::string& settingsFile,
                            const std::string& dataDir) {
    LineList body{"From:",
                  request.name + "|" + request.email + "|",
                  "",
                  "Message Type:",
                  request.messageType,
                  "",
                  "Message:"};
    body.insert(body.end(), request.message.begin(), request.message.end());
    body.insert(body.end(), {"", "Details:"});
    AppendFile(body, settingsFile, false);
    body.insert(body.end(), {"", "SEDATA:"});
    AppendFile(body, JoinPath(dataDir, "sedata.dat"), true);
    body.insert(body.end(), {"", "PROFS:"});
    AppendFile(body, JoinPath(dataDir, "profs.dat"), true);
    return body;
}

std::vector<std::string> SupportRecipients() {
    std::vector<std::string> recipients{std::string(kSupportEmail)};
    const std::string configured = Read(settings::SupportEmail);
    if (configured != recipients.front())
        recipients.push_back(configured);
    return recipients;
}

void PrepareSupportMail(T_Mail& mail, const SupportRequest& request, const LineList& body) {
    mail.From = FromHeader(request.name, request.email);
    mail.Subject = kSupportSubject;
    mail.ReplyTo = request.email;
    mail.Body = body;
    mail.Recipients = SupportRecipients();
}

} // namespace siteherald
