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

} // namespace siteherald
