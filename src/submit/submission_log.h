#pragma once

#include "core/line_file.h"

#include <ctime>
#include <string>

namespace siteherald {

// sub.log: one section per submission data file, "$<file path>" ... "$<file path>", holding
// entry lines "<engine> | Submitted: <mmm dd, yyyy>" sorted without regard to case. An entry
// belongs to an engine when it begins with the engine's name.

// The date of an entry: short month name of the user's locale, two-digit day, year.
std::string SubmissionDate(std::time_t when);

// Adds an entry for the engine to the file's section, which moves to the end of the log.
void AddToLog(const std::string& logFile, const std::string& currentFile, const std::string& engine,
              const std::string& date);
// Removes the first entry of the file's section that belongs to the engine.
void RemoveFromLog(const std::string& logFile, const std::string& currentFile,
                   const std::string& engine);
bool SubmittedSE(const std::string& logFile, const std::string& currentFile,
                 const std::string& engine);
// The file's section exists and holds an entry.
bool InLog(const std::string& logFile, const std::string& currentFile);
// The entry lines of the file's section (empty without a section).
LineList LogEntries(const std::string& logFile, const std::string& currentFile);
// Empties the file's section, keeping its markers; creates an empty log when there is none.
void PurgeLog(const std::string& logFile, const std::string& currentFile);
// Empties the whole log when it exists.
void PurgeAllLogs(const std::string& logFile);

} // namespace siteherald
