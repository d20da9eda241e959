#pragma once

#include <string>
#include <vector>

namespace siteherald {

// The known-file list: the "$sdffiles" section of profs.dat, one line per submission data
// file, "full path|file name|". Kept sorted without regard to case.

std::string KnownFileLine(const std::string& path);

// Reads the section; false, with the list left as it was, when profs.dat is missing. A
// section without its closing marker runs to the end of the file; a file without the section
// gives an empty list.
bool GetSDFfiles(const std::string& profsFile, std::vector<std::string>& knownFiles);

// Replaces the section's lines with the list. A missing profs.dat is not created; a profs.dat
// without the section gets one at its end.
void WriteKnownFiles(const std::string& profsFile, const std::vector<std::string>& knownFiles);

// Adds the line of `path` in sorted place unless a line already names that path. True when
// added.
bool AddKnownFile(std::vector<std::string>& knownFiles, const std::string& path);

// Removes the first line naming `path`; its index, or -1.
int RemoveKnownFile(std::vector<std::string>& knownFiles, const std::string& path);

// The path of a submission data file named on the command line as the lists hold it: a
// relative path is taken from `startFolder`, the folder the program was started in.
std::string CommandLineFilePath(const std::string& argument, const std::string& startFolder);

// Field 1 of each line: what the file lists show.
std::vector<std::string> KnownFilePaths(const std::vector<std::string>& knownFiles);

} // namespace siteherald
