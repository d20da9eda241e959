#pragma once

#include "broadcast/credentials.h"

namespace siteherald::cli {

// siteherald-cli's passwords: SITEHERALD_MAIL_PASSWORD or SITEHERALD_NEWS_PASSWORD when set,
// else the desktop's keyring.
class CliPasswordSource : public PasswordSource {
public:
    Lookup Find(PasswordFor server, const std::string& account) override;
};

} // namespace siteherald::cli
