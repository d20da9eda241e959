#pragma once

#include "core/line_file.h"

#include <ctime>
#include <string>
#include <vector>

namespace siteherald {

inline constexpr const char* kMailLog = "mail.log";
inline constexpr const char* kNewsLog = "news.log";

// The preview of a message: its subject, an empty line, then its text's lines.
LineList MessagePreview(const std::string& subject, const std::string& text);

// Appends one run's entry to a log file (created when missing) and saves it whole:
// "Submission file: " + file, "Message sent on " + date and time, "", the preview, "",
// the result lines, 25 carets. Throws FileError when the file cannot be written.
void AppendBroadcastLog(const std::string& logFile, const std::string& submissionFile,
                        const LineList& preview, const std::vector<std::string>& results,
                        std::time_t when);

// The locale's short date and long time: "%x %X".
std::string LogDateTime(std::time_t when);

} // namespace siteherald
