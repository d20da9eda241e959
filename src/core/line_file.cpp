#include "line_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace siteherald {

namespace {

[[noreturn]] void Fail(const char* action, const std::string& path, const std::string& reason) {
    throw FileError(action + path + ": " + reason, path, reason);
}

std::string DirectoryOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

} // namespace

std::vector<std::string_view> SplitLineViews(std::string_view bytes) {
    std::vector<std::string_view> lines;
    const char* data = bytes.data();
    const size_t n = bytes.size();
    size_t start = 0;
    size_t nextLf = 0; // the next LF at or after start, n when none is left
    bool lfKnown = false;
    while (start < n) {
        if (!lfKnown || (nextLf < start)) {
            const void* lf = std::memchr(data + start, '\n', n - start);
            nextLf = lf ? static_cast<size_t>(static_cast<const char*>(lf) - data) : n;
            lfKnown = true;
        }
        const void* cr = std::memchr(data + start, '\r', nextLf - start);
        const size_t at = cr ? static_cast<size_t>(static_cast<const char*>(cr) - data) : nextLf;
        if (at == n)
            break;
        lines.push_back(bytes.substr(start, at - start));
        start = at + ((data[at] == '\r' && at + 1 < n && data[at + 1] == '\n') ? 2 : 1);
    }
    if (start < n)
        lines.push_back(bytes.substr(start));
    return lines;
}

LineList SplitLines(std::string_view bytes, bool nulEndsLine) {
    const std::vector<std::string_view> views = SplitLineViews(bytes);
    LineList lines;
    lines.reserve(views.size());
    for (std::string_view view : views) {
        if (nulEndsLine)
            view = view.substr(0, view.find('\0'));
        lines.emplace_back(view);
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

std::string JoinText(const LineList& lines, size_t begin, size_t end) {
    std::string text;
    for (size_t i = begin; i < end && i < lines.size(); ++i) {
        if (text.empty())
            text = lines[i];
        else
            text += "\r\n" + lines[i];
    }
    return text;
}

size_t FindLine(const LineList& lines, std::string_view text, size_t from) {
    for (size_t i = from; i < lines.size(); ++i)
        if (lines[i] == text)
            return i;
    return kNoLine;
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
        Fail("Unable to read ", path, std::strerror(errno));
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0) {
        if (S_ISDIR(st.st_mode)) {
            ::close(fd);
            Fail("Unable to read ", path, "it is a folder");
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
            Fail("Unable to read ", path, std::strerror(err));
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
        Fail("Unable to write to ", path, std::strerror(errno));

    // The new file takes the old one's permissions, so a save never widens or narrows access.
    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : newFileMode;

    auto fail = [&](int err) {
        ::close(fd);
        ::unlink(temp.c_str());
        Fail("Unable to write to ", path, std::strerror(err));
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
        Fail("Unable to write to ", path, std::strerror(err));
    }
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(temp.c_str());
        Fail("Unable to write to ", path, std::strerror(err));
    }
}

void SaveLineFile(const std::string& path, const LineList& lines) {
    WriteFileAtomic(path, JoinLines(lines));
}

} // namespace siteherald
