#pragma once

#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace siteherald {

// A regular file this user may run: what a browser program must be.
inline bool IsExecutableFile(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

} // namespace siteherald
