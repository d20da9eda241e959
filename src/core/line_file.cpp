#include "line_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace siteherald {

namespace {

std::string Reason(int err) {
    return std::strerror(err);
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

LineList SplitLines(std::string_view bytes, bool nulEndsLine) {
    LineList lines;
    size_t start = 0;
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        const char c = bytes[i];
        if (c != '\r' && c != '\n') {
            ++i;
            continue;
        }
        lines.emplace_back(bytes.substr(start, i - start));
        i += (c == '\r' && i + 1 < n && bytes[i + 1] == '\n') ? 2 : 1;
        start = i;
    }
    if (start < n)
        lines.emplace_back(bytes.substr(start));
    if (nulEndsLine) {
        for (std::string& line : lines) {
            const size_t nul = line.find('\0');
            if (nul != std::string::npos)
                line.resize(nul);
        }
    }
    return lines;
}

std::string JoinLines(const LineList& lines) {
    size_t total = 0;
    for (const std::string& line : lines)
        total += line.size() + 2;
    std::string out;
    out.reserve(total);
    for (const std::string& line : lines) {
        out += line;
        out += "\r\n";
    }
    return out;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool ReadFileBytes(const std::string& path, std::string& bytes) {
    bytes.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR)
            return false;
        throw FileError("Unable to read " + path + ": " + Reason(errno), path);
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            ::close(fd);
            throw FileError("Unable to read " + path + ": it is a folder", path);
        }
        if (st.st_size > 0)
            bytes.reserve(static_cast<size_t>(st.st_size));
    }
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got == 0)
            break;
        if (got < 0) {
            if (errno == EINTR)
                continue;
            const int err = errno;
            ::close(fd);
            throw FileError("Unable to read " + path + ": " + Reason(err), path);
        }
        bytes.append(buffer, static_cast<size_t>(got));
    }
    ::close(fd);
    return true;
}

bool LoadLineFile(const std::string& path, LineList& lines) {
    std::string bytes;
    if (!ReadFileBytes(path, bytes)) {
        lines.clear();
        return false;
    }
    lines = SplitLines(bytes);
    return true;
}

void WriteFileAtomic(const std::string& path, std::string_view bytes, unsigned newFileMode) {
    std::string temp = DirectoryOf(path) + "/.siteherald-XXXXXX";
    const int fd = ::mkstemp(temp.data());
    if (fd < 0)
        throw FileError("Unable to write to " + path + ": " + Reason(errno), path);

    // The new file takes the old one's permissions, so a save never widens or narrows access.
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : newFileMode;

    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(temp.c_str());
        throw FileError("Unable to write to " + path + ": " + Reason(err), path);
    };
    if (::fchmod(fd, mode) != 0)
        fail(errno);
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t put = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            fail(errno);
        }
        done += static_cast<size_t>(put);
    }
    if (::fsync(fd) != 0)
        fail(errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw FileError("Unable to write to " + path + ": " + Reason(err), path);
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        throw FileError("Unable to write to " + path + ": " + Reason(err), path);
    }
}

void SaveLineFile(const std::string& path, const LineList& lines) {
    WriteFileAtomic(path, JoinLines(lines));
}

} // namespace siteherald
