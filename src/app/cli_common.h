#pragma once

#include <string>
#include <vector>

namespace siteherald::cli {

// Exit statuses of siteherald-cli.
enum ExitCode {
    kExitDone = 0,
    kExitUsage = 2,
    kExitEngineNotFound = 3,
    kExitPageNotAvailable = 4,
    kExitFileError = 5,
    kExitNotSent = 6,
    kExitKeyNotServed = 7,
    kExitEndpointRefused = 8,
};

using Arguments = std::vector<std::string>;

int RunFill(const Arguments& args);
int RunGet(const Arguments& args);
int RunScan(const Arguments& args);
int RunUpdate(const Arguments& args);
int RunSend(const Arguments& args);
int RunIndexNowCommand(const Arguments& args);

// Prints "siteherald-cli: " and the message to stderr and returns kExitFileError.
int FileProblem(const std::string& message);

// Prints the usage text to stderr and returns kExitUsage.
int UsageError(const std::string& problem);

extern const char* const kUsage;

} // namespace siteherald::cli
