#pragma once

// Helpers shared by the tests: a private temporary folder per test, and the environment
// that points the settings file and the data directory into it.

#include "core/line_file.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <unistd.h>

namespace siteherald::testing {

// A fresh folder, removed with everything in it when the object goes.
class TempDir {
public:
    TempDir() : path_((std::filesystem::temp_directory_path() / "sh-test-XXXXXX").string()) {
        if (!::mkdtemp(path_.data()))
            std::abort();
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

// Points the settings file ($XDG_CONFIG_HOME) into a temporary folder for one test.
class ScopedSettings {
public:
    ScopedSettings() { ::setenv("XDG_CONFIG_HOME", dir_.path().c_str(), 1); }
    ~ScopedSettings() { ::unsetenv("XDG_CONFIG_HOME"); }
    std::string iniPath() const { return dir_.path() + "/siteherald/siteherald.ini"; }

private:
    TempDir dir_;
};

// Sets (or, given nullptr, removes) an environment variable until the object goes.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        value ? ::setenv(name, value, 1) : ::unsetenv(name);
    }
    ~ScopedEnv() { old_ ? ::setenv(name_, old_->c_str(), 1) : ::unsetenv(name_); }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

// The exact bytes of a file ("" when it does not exist); bytes written as they are.
inline std::string ReadBytes(const std::string& path) {
    std::string bytes;
    ReadFileBytes(path, bytes);
    return bytes;
}
inline void WriteBytes(const std::string& path, const std::string& bytes) {
    WriteFileAtomic(path, bytes);
}

} // namespace siteherald::testing
