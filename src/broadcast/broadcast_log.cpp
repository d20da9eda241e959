#include "broadcast_log.h"

#include "core/local_time.h"

namespace siteherald {

LineList MessagePreview(const std::string& subject, const std::string& text) {
    LineList preview{subject, ""};
    for (std::string& line : SplitLines(text))
        preview.push_back(std::move(line));
    return preview;
}

std::string LogDateTime(std::time_t when) {
    return LocalTimeText(when, "%x %X");
}

void AppendBroadcastLog(const std::string& logFile, const std::string& submissionFile,
                        const LineList& preview, const std::vector<std::string>& results,
                        std::time_t when) {
    LineList log;
    LoadLineFile(logFile, log);
    log.push_back("Submission file: " + submissionFile);
    log.push_back("Message sent on " + LogDateTime(when));
    log.emplace_back();
    log.insert(log.end(), preview.begin(), preview.end());
    log.emplace_back();
    log.insert(log.end(), results.begin(), results.end());
    log.push_back(std::string(25, '^'));
    SaveLineFile(logFile, log);
}

} // namespace siteherald
