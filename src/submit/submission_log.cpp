#include "submission_log.h"

#include "core/ascii.h"

#include <algorithm>

namespace siteherald {

namespace {

struct Section {
    size_t open;  // index of the opening marker, lines.size() when absent
    size_t close; // index of the closing marker, or lines.size() when it is missing
};

Section FindSection(const LineList& lines, const std::string& marker) {
    const size_t open =
        static_cast<size_t>(std::find(lines.begin(), lines.end(), marker) - lines.begin());
    if (open == lines.size())
        return {open, open};
    const size_t close = static_cast<size_t>(
        std::find(lines.begin() + static_cast<long>(open) + 1, lines.end(), marker) -
        lines.begin());
    return {open, close};
}

std::string Marker(const std::string& currentFile) {
    return "$" + currentFile;
}

// Index of the first entry of the section that belongs to the engine, or lines.size().
size_t FindEntry(const LineList& lines, const Section& s, const std::string& engine) {
    if (s.open == lines.size())
        return lines.size();
    for (size_t i = s.open + 1; i < s.close; ++i)
        if (lines[i].compare(0, engine.size(), engine) == 0)
            return i;
    return lines.size();
}

} // namespace

std::string SubmissionDate(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[64];
    const size_t n = std::strftime(text, sizeof text, "%b %d, %Y", &local);
    return std::string(text, n);
}

void AddToLog(const std::string& logFile, const std::string& currentFile, const std::string& engine,
              const std::string& date) {
    LineList lines;
    LoadLineFile(logFile, lines);
    const std::string marker = Marker(currentFile);
    const Section s = FindSection(lines, marker);
    LineList entries;
    if (s.open != lines.size()) {
        entries.assign(lines.begin() + static_cast<long>(s.open) + 1,
                       lines.begin() + static_cast<long>(s.close));
        lines.erase(lines.begin() + static_cast<long>(s.open),
                    s.close == lines.size() ? lines.end()
                                            : lines.begin() + static_cast<long>(s.close) + 1);
    }
    entries.push_back(engine + " | Submitted: " + date);
    std::stable_sort(
        entries.begin(), entries.end(),
        [](const std::string& a, const std::string& b) { return LessIgnoringCase(a, b); });
    lines.push_back(marker);
    lines.insert(lines.end(), entries.begin(), entries.end());
    lines.push_back(marker);
    SaveLineFile(logFile, lines);
}

void RemoveFromLog(const std::string& logFile, const std::string& currentFile,
                   const std::string& engine) {
    LineList lines;
    const bool existed = LoadLineFile(logFile, lines);
    if (existed && lines.empty())
        return;
    const Section s = FindSection(lines, Marker(currentFile));
    const size_t entry = FindEntry(lines, s, engine);
    if (entry != lines.size())
        lines.erase(lines.begin() + static_cast<long>(entry));
    SaveLineFile(logFile, lines);
}

bool SubmittedSE(const std::string& logFile, const std::string& currentFile,
                 const std::string& engine) {
    LineList lines;
    LoadLineFile(logFile, lines);
    return FindEntry(lines, FindSection(lines, Marker(currentFile)), engine) != lines.size();
}

bool InLog(const std::string& logFile, const std::string& currentFile) {
    LineList lines;
    LoadLineFile(logFile, lines);
    const Section s = FindSection(lines, Marker(currentFile));
    return s.open != lines.size() && s.open + 1 < lines.size() && s.open + 1 != s.close;
}

LineList LogEntries(const std::string& logFile, const std::string& currentFile) {
    LineList lines;
    LoadLineFile(logFile, lines);
    const Section s = FindSection(lines, Marker(currentFile));
    if (s.open == lines.size())
        return {};
    return LineList(lines.begin() + static_cast<long>(s.open) + 1,
                    lines.begin() + static_cast<long>(s.close));
}

void PurgeLog(const std::string& logFile, const std::string& currentFile) {
    LineList lines;
    if (!LoadLineFile(logFile, lines)) {
        SaveLineFile(logFile, {});
        return;
    }
    const Section s = FindSection(lines, Marker(currentFile));
    if (s.open == lines.size())
        return;
    const bool closed = s.close != lines.size();
    lines.erase(lines.begin() + static_cast<long>(s.open) + 1,
                lines.begin() + static_cast<long>(s.close));
    if (!closed) // a section cut short gets its closing marker back
        lines.push_back(Marker(currentFile));
    SaveLineFile(logFile, lines);
}

void PurgeAllLogs(const std::string& logFile) {
    if (FileExists(logFile))
        SaveLineFile(logFile, {});
}

} // namespace siteherald
