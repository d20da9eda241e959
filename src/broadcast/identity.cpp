#include "identity.h"

#include "core/settings_store.h"

namespace siteherald {

Identity ReadIdentity() {
    return {IniReadString("Identity", "Name", kIdentityUnset),
            IniReadString("Identity", "Email", kIdentityUnset),
            IniReadString("Identity", "MailServer", kIdentityUnset),
            IniReadString("Identity", "NewsServer", kIdentityUnset)};
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

std::string FromHeader(const Identity& identity) {
    return "\"" + identity.Name + "\" <" + identity.Email + ">";
}

} // namespace siteherald
