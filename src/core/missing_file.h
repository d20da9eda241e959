#pragma once

#include <string>
#include <string_view>

namespace siteherald {

inline constexpr std::string_view kMissingFilesMessage =
    "Siteherald could not find one or more neccessary files. Please select Update from the "
    "file menu to download them.";

// Marks a data file (by its bare name, e.g. "sedata.dat") as missing, so that the next data
// update fetches it whole. Showing kMissingFilesMessage is the caller's part.
void MarkMissingFile(const std::string& fileName);

// The warning for sedata.dat, filelay.dat or profs.dat (told apart by the last part of
// `path`) when the file holds text but no record its readers can use: no engine with a
// submission address, no "$START" profile line, neither an "$AutoFill" nor a "$sdffiles"
// section. Empty when the file is missing, blank, unreadable (its reader reports that) or
// usable. Nothing is written: such a file changes only when the user changes it.
std::string DamagedDataFileWarning(const std::string& path);

} // namespace siteherald
