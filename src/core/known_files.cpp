#include "known_files.h"

#include "ascii.h"
#include "line_file.h"
#include "pipe_record.h"

#include <algorithm>
#include <filesystem>

namespace siteherald {

namespace {

constexpr const char* kMarker = "$sdffiles";

bool Less(const std::string& a, const std::string& b) {
    return LessIgnoringCase(a, b);
}

} // namespace

std::string KnownFileLine(const std::string& path) {
    const size_t slash = path.rfind('/');
    return path + "|" + (slash == std::string::npos ? path : path.substr(slash + 1)) + "|";
}

bool GetSDFfiles(const std::string& profsFile, std::vector<std::string>& knownFiles) {
    LineList lines;
    if (!LoadLineFile(profsFile, lines))
        return false;
    knownFiles.clear();
    const auto open = std::find(lines.begin(), lines.end(), kMarker);
    if (open == lines.end())
        return true;
    const auto close = std::find(open + 1, lines.end(), kMarker);
    knownFiles.assign(open + 1, close);
    std::stable_sort(knownFiles.begin(), knownFiles.end(), Less);
    knownFiles.erase(std::unique(knownFiles.begin(), knownFiles.end()), knownFiles.end());
    return true;
}

void WriteKnownFiles(const std::string& profsFile, const std::vector<std::string>& knownFiles) {
    LineList lines;
    if (!LoadLineFile(profsFile, lines))
        return;
    auto open = std::find(lines.begin(), lines.end(), kMarker);
    if (open == lines.end()) {
        lines.push_back(kMarker);
        lines.push_back(kMarker);
        open = lines.end() - 2;
    }
    const auto close = std::find(open + 1, lines.end(), kMarker);
    const long at = open - lines.begin() + 1;
    lines.erase(open + 1, close);
    lines.insert(lines.begin() + at, knownFiles.begin(), knownFiles.end());
    if (std::find(lines.begin() + at + static_cast<long>(knownFiles.size()), lines.end(),
                  kMarker) == lines.end())
        lines.insert(lines.begin() + at + static_cast<long>(knownFiles.size()), kMarker);
    SaveLineFile(profsFile, lines);
}

bool AddKnownFile(std::vector<std::string>& knownFiles, const std::string& path) {
    for (const std::string& line : knownFiles)
        if (PipeField(line, 1) == path)
            return false;
    const std::string line = KnownFileLine(path);
    knownFiles.insert(std::upper_bound(knownFiles.begin(), knownFiles.end(), line, Less), line);
    return true;
}

int RemoveKnownFile(std::vector<std::string>& knownFiles, const std::string& path) {
    for (size_t i = 0; i < knownFiles.size(); ++i) {
        if (PipeField(knownFiles[i], 1) == path) {
            knownFiles.erase(knownFiles.begin() + static_cast<long>(i));
            return static_cast<int>(i);
        }
    }
    return -1;
}

std::string CommandLineFilePath(const std::string& argument, const std::string& startFolder) {
    if (argument.empty() || argument.front() == '/')
        return argument;
    return (std::filesystem::path(startFolder) / argument).lexically_normal().string();
}

std::vector<std::string> KnownFilePaths(const std::vector<std::string>& knownFiles) {
    std::vector<std::string> paths;
    paths.reserve(knownFiles.size());
    for (const std::string& line : knownFiles)
        paths.push_back(PipeField(line, 1));
    return paths;
}

} // namespace siteherald
