#include "settings_store.h"

#include "ini_file.h"
#include "line_file.h"

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>

namespace siteherald {

namespace {

constexpr size_t kMaxStringLength = 1023;

std::string ConfigDirectory() {
    const char* xdg = std::getenv("XDG_CONFIG_HOME");
    if (xdg && *xdg == '/')
        return std::string(xdg) + "/siteherald";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : "/tmp") + "/.config/siteherald";
}

// An unreadable settings file reads as defaults; a write refuses to replace it, since that
// would lose every other key in it.
IniDocument LoadSettings(const std::string& path, bool forWriting) {
    std::string bytes;
    try {
        ReadFileBytes(path, bytes);
    } catch (const FileError&) {
        if (forWriting)
            throw;
        bytes.clear();
    }
    return IniDocument::Parse(bytes);
}

// 0, or the error that stopped it.
int MakeDirectories(const std::string& dir) {
    for (size_t slash = dir.find('/', 1);; slash = dir.find('/', slash + 1)) {
        const std::string part = dir.substr(0, slash);
        if (::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST)
            return errno;
        if (slash == std::string::npos)
            return 0;
    }
}

} // namespace

std::string SettingsFilePath() {
    return ConfigDirectory() + "/siteherald.ini";
}

std::string IniReadString(const std::string& section, const std::string& key,
                          const std::string& defaultValue) {
    const auto value = LoadSettings(SettingsFilePath(), false).Get(section, key);
    if (!value)
        return defaultValue;
    return value->substr(0, kMaxStringLength);
}

int ParseSettingsInteger(const std::string& text, int defaultValue) {
    if (text.empty())
        return defaultValue;
    const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    const char* begin = text.c_str() + (hex ? 2 : 0);
    if (hex && (*begin == '+' || *begin == '-' || *begin == ' '))
        return defaultValue;
    errno = 0;
    char* end = nullptr;
    const long long value = std::strtoll(begin, &end, hex ? 16 : 10);
    if (errno != 0 || end == begin || *end != '\0')
        return defaultValue;
    if (hex) {
        if (value > 0xFFFFFFFFLL)
            return defaultValue;
        return static_cast<int>(static_cast<unsigned>(value)); // 32-bit hex wraps, as typed
    }
    if (value < INT32_MIN || value > INT32_MAX)
        return defaultValue;
    return static_cast<int>(value);
}

int IniReadInteger(const std::string& section, const std::string& key, int defaultValue) {
    return ParseSettingsInteger(IniReadString(section, key, ""), defaultValue);
}

bool IniReadBool(const std::string& section, const std::string& key, bool defaultValue) {
    return IniReadInteger(section, key, defaultValue ? 1 : 0) != 0;
}

void IniWriteString(const std::string& section, const std::string& key, const std::string& value) {
    const std::string path = SettingsFilePath();
    try {
        IniDocument doc = LoadSettings(path, true);
        doc.Set(section, key, value);
        if (const int err = MakeDirectories(ConfigDirectory()))
            throw FileError("", path, std::strerror(err));
        WriteFileAtomic(path, doc.Serialize(), 0600);
    } catch (const FileError& e) {
        throw SettingsWriteError("Unable to write to " + path + ": " + e.reason());
    }
}

void IniWriteInteger(const std::string& section, const std::string& key, int value) {
    IniWriteString(section, key, std::to_string(value));
}

void IniWriteBool(const std::string& section, const std::string& key, bool value) {
    IniWriteString(section, key, value ? "1" : "0");
}

} // namespace siteherald
