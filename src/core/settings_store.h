#pragma once

#include <stdexcept>
#include <string>

namespace siteherald {

// Raised when the settings file cannot be written: "Unable to write to <file>: <reason>".
class SettingsWriteError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// $XDG_CONFIG_HOME/siteherald/siteherald.ini, or ~/.config/siteherald/siteherald.ini.
std::string SettingsFilePath();

// Each call reads or writes the file itself: nothing is cached, so a write is seen by the
// next read from anywhere. A missing file reads as an empty one.
std::string IniReadString(const std::string& section, const std::string& key,
                          const std::string& defaultValue);
int IniReadInteger(const std::string& section, const std::string& key, int defaultValue);
bool IniReadBool(const std::string& section, const std::string& key, bool defaultValue);
void IniWriteString(const std::string& section, const std::string& key, const std::string& value);
void IniWriteInteger(const std::string& section, const std::string& key, int value);
void IniWriteBool(const std::string& section, const std::string& key, bool value);

// The integer reading rule on its own: decimal with an optional sign, or hexadecimal after
// "0x"/"0X" when the text is longer than two characters; anything else gives the default.
int ParseSettingsInteger(const std::string& text, int defaultValue);

} // namespace siteherald
