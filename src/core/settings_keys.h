#pragma once

#include "product_defaults.h"
#include "settings_store.h"

#include <string>

namespace siteherald {

// One key of the settings file: where it is, and what it reads as when it is not there.
template <typename T> struct Setting {
    std::string section;
    std::string name;
    T defaultValue;
};

std::string Read(const Setting<std::string>& setting);
bool Read(const Setting<bool>& setting);
int Read(const Setting<int>& setting);
// Throw SettingsWriteError.
void Write(const Setting<std::string>& setting, const std::string& value);
void Write(const Setting<bool>& setting, bool value);
void Write(const Setting<int>& setting, int value);

// Every key the program reads or writes, in one place.
namespace settings {

using Text = Setting<std::string>;
using Flag = Setting<bool>;
using Number = Setting<int>;

inline const Flag FirstStart{"Main", "First", true};
inline const Number InstallId{"Main", "ID", 0};
inline const Text WindowState{"Main", "WindowSate", "wsMaximized"};
inline const Text WindowSize{"Main", "WindowSize", ""};
inline const Text WindowPos{"Main", "WindowPos", ""};
inline const Text Website{"Main", "Website", std::string(kDefaultWebsite)};
inline const Text SupportEmail{"Main", "SupportEmail", std::string(kSupportEmail)};
inline const Text AdPage{"Main", "AdPage", ""};
inline const Text VersionUpdate{"Main", "VersionUpdate", std::string(kDefaultVersionUrl)};
inline const Number VersionNumber{"Main", "VersionNumber", kVersionNumber};

inline const Text Profile{"FileLay", "Profile", "DEFAULT"};
inline const Flag ExternalFill{"Submissions", "ExternalFill", true};

inline const Text DefaultBrowser{"Browsers", "Default", "Netscape Navigator"};
// The program path of a named browser ("Netscape Navigator", "Internet Explorer", "Other
// Browser").
inline Text BrowserPath(const std::string& browser) {
    return {"Browsers", browser, ""};
}

inline const Text SenderName{"Identity", "Name", ""};
inline const Text SenderEmail{"Identity", "Email", ""};
inline const Text MailServer{"Identity", "MailServer", ""};
inline const Text NewsServer{"Identity", "NewsServer", ""};
// "auto", "starttls", "tls" or "none"; the passwords are kept in the keyring, never here.
inline const Text MailSecurity{"Identity", "MailSecurity", "auto"};
inline const Text NewsSecurity{"Identity", "NewsSecurity", "auto"};
inline const Text MailUser{"Identity", "MailUser", ""};
inline const Text NewsUser{"Identity", "NewsUser", ""};

inline const Flag UpdateAutomatically{"Updates", "Automate", false};
inline const Flag UpdateAsk{"Updates", "Ask", true};
inline const Flag UpdateSkip{"Updates", "Skip", false};
inline const Text UpdateUrl{"Updates", "URL", std::string(kDefaultUpdateUrl)};
inline const Number UpdateFileNumber{"Updates", "Filenumber", 1};
inline const Text MandatoryUpgrade{"Updates", "MDNV", ""};
inline const Text UpgradeAddress{"Updates", "NVD", std::string(kDefaultUpgradeUrl)};
// A data file marked for download at the next update ("sedata.dat", ...).
inline Flag MissingFile(const std::string& fileName) {
    return {"Updates", fileName, false};
}

// Where IndexNow submissions go; the search engines' own endpoints take them too.
inline const Text IndexNowEndpoint{"IndexNow", "Endpoint", "https://api.indexnow.org/indexnow"};

} // namespace settings

} // namespace siteherald
