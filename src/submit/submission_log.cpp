#include "submission_log.h"

#include "core/ascii.h"
#include "core/local_time.h"

#include <algorithm>

namespace siteherald {

namespace {

// The log's lines as views into its bytes: the log can be large, and most calls only read it.
struct Log {
    std::string bytes;
    std::vector<std::string_view> lines;
    bool existed = false;
};

Log LoadLog(const std::string& logFile) {
    Log log;
    log.existed = ReadFileBytes(logFile, log.bytes);
    log.lines = SplitLineViews(log.bytes);
    return log;
}

template <class Lines> void SaveLog(const std::string& logFile, const Lines& lines) {
    size_t total = 0;
    for (const auto& line : lines)
        total += line.size() + 2;
    std::string out;
    out.reserve(total);
    for (const auto& line : lines) {
        out += line;
        out += "\r\n";
    }
    WriteFileAtomic(logFile, out);
}

struct Section {
    size_t open;  // index of the opening marker, lines.size() when absent
    size_t close; // index of the closing marker, or lines.size() when it is missing
};

Section FindSection(const std::vector<std::string_view>& lines, const std::string& marker) {
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
size_t FindEntry(const std::vector<std::string_view>& lines, const Section& s,
                 const std::string& engine) {
    if (s.open == lines.size())
        return lines.size();
    for (size_t i = s.open + 1; i < s.close; ++i)
        if (lines[i].substr(0, engine.size()) == engine)
            return i;
    return lines.size();
}

} // namespace

std::string SubmissionDate(std::time_t when) {
    return LocalTimeText(when, "%b %d, %Y");
}

void AddToLog(const std::string& logFile, const std::string& currentFile, const std::string& engine,
              const std::string& date) {
    Log log = LoadLog(logFile);
    auto& lines = log.lines;
    const std::string marker = Marker(currentFile);
    const Section s = FindSection(lines, marker);
    std::vector<std::string_view> entries;
    if (s.open != lines.size()) {
        entries.assign(lines.begin() + static_cast<long>(s.open) + 1,
                       lines.begin() + static_cast<long>(s.close));
        lines.erase(lines.begin() + static_cast<long>(s.open),
                    s.close == lines.size() ? lines.end()
                                            : lines.begin() + static_cast<long>(s.close) + 1);
    }
    const std::string entry = engine + " | Submitted: " + date;
    entries.push_back(entry);
    std::stable_sort(entries.begin(), entries.end(),
                     [](std::string_view a, std::string_view b) { return LessIgnoringCase(a, b); });
    lines.push_back(marker);
    lines.insert(lines.end(), entries.begin(), entries.end());
    lines.push_back(marker);
    SaveLog(logFile, lines);
}

void RemoveFromLog(const std::string& logFile, const std::string& currentFile,
                   const std::string& engine) {
    Log log = LoadLog(logFile);
    if (log.existed && log.lines.empty())
        return;
    const Section s = FindSection(log.lines, Marker(currentFile));
    const size_t entry = FindEntry(log.lines, s, engine);
    if (entry != log.lines.size())
        log.lines.erase(log.lines.begin() + static_cast<long>(entry));
    SaveLog(logFile, log.lines);
}

bool SubmittedSE(const std::string& logFile, const std::string& currentFile,
                 const std::string& engine) {
    const Log log = LoadLog(logFile);
    return FindEntry(log.lines, FindSection(log.lines, Marker(currentFile)), engine) !=
           log.lines.size();
}

bool InLog(const std::string& logFile, const std::string& currentFile) {
    const Log log = LoadLog(logFile);
    const Section s = FindSection(log.lines, Marker(currentFile));
    return s.open != log.lines.size() && s.open + 1 < log.lines.size() && s.open + 1 != s.close;
}

LineList LogEntries(const std::string& logFile, const std::string& currentFile) {
    const Log log = LoadLog(logFile);
    const Section s = FindSection(log.lines, Marker(currentFile));
    if (s.open == log.lines.size())
        return {};
    return LineList(log.lines.begin() + static_cast<long>(s.open) + 1,
                    log.lines.begin() + static_cast<long>(s.close));
}

void PurgeLog(const std::string& logFile, const std::string& currentFile) {
    Log log = LoadLog(logFile);
    if (!log.existed) {
        SaveLineFile(logFile, {});
        return;
    }
    auto& lines = log.lines;
    const std::string marker = Marker(currentFile);
    const Section s = FindSection(lines, marker);
    if (s.open == lines.size())
        return;
    const bool closed = s.close != lines.size();
    lines.erase(lines.begin() + static_cast<long>(s.open) + 1,
                lines.begin() + static_cast<long>(s.close));
    if (!closed) // a section cut short gets its closing marker back
        lines.push_back(marker);
    SaveLog(logFile, lines);
}

void PurgeAllLogs(const std::string& logFile) {
    if (FileExists(logFile))
        SaveLineFile(logFile, {});
}

} // namespace siteherald
