#include "identity.h"

#include "core/settings_keys.h"

namespace siteherald {

namespace {

// The preferences store an emptied box as an empty value: that is no identity either.
std::string ValueOf(const settings::Text& setting) {
    const std::string value = Read(setting);
    return value.empty() ? kIdentityUnset : value;
}

} // namespace

Identity ReadIdentity() {
    return {ValueOf(settings::SenderName), ValueOf(settings::SenderEmail),
            ValueOf(settings::MailServer), ValueOf(settings::NewsServer),
            Read(settings::MailUser),      Read(settings::NewsUser),
            Read(settings::MailSecurity),  Read(settings::NewsSecurity)};
}

std::string BroadcastValidationMessage(const BroadcastChecks& checks, const Identity& identity) {
    std::string message;
    if (!checks.hasMailingLists && !checks.hasNewsgroups)
        message = "You must first add e-mail addresses or newsgroups.";
    if (!checks.messageSelected)
        message = "You must first select a message.";
    if (identity.Name == kIdentityUnset)
        message = "Please enter your name in message options.";
    if (identity.Email == kIdentityUnset)
        message = "Please enter your e-mail address in message options.";
    if (checks.hasMailingLists && identity.MailServer == kIdentityUnset)
        message = "Please enter a valid mail server in message options.";
    if (checks.hasNewsgroups && identity.NewsServer == kIdentityUnset)
        message = "Please enter a valid news server in message options.";
    return message;
}

std::string FromHeader(const std::string& name, const std::string& email) {
    return "\"" + name + "\" <" + email + ">";
}

} // namespace siteherald
