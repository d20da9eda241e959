#include "settings_keys.h"

#include "settings_store.h"

namespace siteherald {

std::string Read(const Setting<std::string>& setting) {
    return IniReadString(setting.section, setting.name, setting.defaultValue);
}

bool Read(const Setting<bool>& setting) {
    return IniReadBool(setting.section, setting.name, setting.defaultValue);
}

int Read(const Setting<int>& setting) {
    return IniReadInteger(setting.section, setting.name, setting.defaultValue);
}

void Write(const Setting<std::string>& setting, const std::string& value) {
    IniWriteString(setting.section, setting.name, value);
}

void Write(const Setting<bool>& setting, bool value) {
    IniWriteBool(setting.section, setting.name, value);
}

void Write(const Setting<int>& setting, int value) {
    IniWriteInteger(setting.section, setting.name, value);
}

} // namespace siteherald
