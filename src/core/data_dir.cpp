#include "data_dir.h"

#include "line_file.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#ifndef SITEHERALD_SOURCE_DATA_DIR
#define SITEHERALD_SOURCE_DATA_DIR ""
#endif

namespace siteherald {

namespace fs = std::filesystem;

std::string JoinPath(const std::string& dir, const std::string& name) {
    if (dir.empty())
        return name;
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

std::string ExecutableDir() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string(".") : exe.parent_path().string();
}

std::string ShippedDataDir() {
    std::error_code ec;
    const fs::path installed = fs::path(ExecutableDir()) / ".." / "share" / "siteherald" / "data";
    if (fs::is_regular_file(installed / "filelay.dat", ec))
        return fs::weakly_canonical(installed, ec).string();
    const fs::path source = SITEHERALD_SOURCE_DATA_DIR;
    if (!source.empty() && fs::is_regular_file(source / "filelay.dat", ec))
        return source.string();
    return {};
}

void SeedDataDir(const std::string& from, const std::string& to) {
    std::error_code ec;
    fs::create_directories(to, ec);
    if (ec)
        throw FileError("Unable to create " + to + ": " + ec.message(), to);
    if (from.empty())
        return;
    for (auto it = fs::recursive_directory_iterator(from, ec); !ec && it != fs::end(it);
         it.increment(ec)) {
        const fs::path target = fs::path(to) / fs::relative(it->path(), from);
        if (it->is_directory()) {
            fs::create_directories(target, ec);
        } else if (it->is_regular_file() && !fs::exists(target)) {
            std::string bytes;
            ReadFileBytes(it->path().string(), bytes);
            WriteFileAtomic(target.string(), bytes);
        }
        if (ec)
            break;
    }
    if (ec)
        throw FileError("Unable to copy the default data into " + to + ": " + ec.message(), to);
}

std::string ResolveDataDir() {
    if (const char* env = std::getenv("SITEHERALD_DATA_DIR"); env && *env) {
        std::error_code ec;
        return fs::absolute(env, ec).string();
    }
    const std::string exeDir = ExecutableDir();
    if (FileExists(JoinPath(exeDir, "filelay.dat")) && ::access(exeDir.c_str(), W_OK) == 0)
        return exeDir;
    const char* home = std::getenv("HOME");
    const std::string dir = JoinPath(home && *home ? home : ".", "Siteherald");
    std::error_code ec;
    if (!fs::exists(dir, ec))
        SeedDataDir(ShippedDataDir(), dir);
    return dir;
}

} // namespace siteherald
