#pragma once

#include <string>
#include <vector>

namespace siteherald {

// Starts a program with its arguments, without a shell, and does not wait for it (its exit
// is reaped in the background). False with the reason when it could not be started.
bool StartDetached(const std::vector<std::string>& argv, std::string& error);

// Runs a program without a shell and collects what it prints on stdout, waiting at most
// timeoutMs. False when it could not run, timed out or exited with a failure.
bool RunAndRead(const std::vector<std::string>& argv, std::string& output, int timeoutMs = 5000);

// The full path of a program name found on PATH (a name with "/" is returned as it is);
// empty when not found.
std::string FindProgram(const std::string& name);

} // namespace siteherald
