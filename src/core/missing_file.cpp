#include "missing_file.h"

#include "engine_records.h"
#include "line_file.h"
#include "profiles.h"
#include "settings_keys.h"

#include <algorithm>

namespace siteherald {

void MarkMissingFile(const std::string& fileName) {
    Write(settings::MissingFile(fileName), true);
}

std::string DamagedDataFileWarning(const std::string& path) {
    const std::string name = path.substr(path.rfind('/') + 1);
    LineList lines;
    try {
        LoadLineFile(path, lines);
    } catch (const FileError&) {
        return {};
    }
    if (std::all_of(lines.begin(), lines.end(), [](const std::string& line) {
            return line.find_first_not_of(" \t") == std::string::npos;
        }))
        return {};
    if (name == "sedata.dat" && !HoldsUsableEngine(lines))
        return name + " holds no valid search-engine record; it may be damaged.";
    if (name == "filelay.dat" && DisplayDefaultList(lines).empty())
        return name + " holds no valid profile; it may be damaged.";
    if (name == "profs.dat" && FindLine(lines, "$AutoFill") == kNoLine &&
        FindLine(lines, "$sdffiles") == kNoLine)
        return name + " holds no valid auto-fill or submission-file list; it may be damaged.";
    return {};
}

} // namespace siteherald
