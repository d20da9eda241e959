#pragma once

#include "core/line_file.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace siteherald {

// The value of an auto-fill identifier in a submission data file's lines: the text after the
// ":" of the first line holding the identifier, or, when a closing "$" + identifier line
// follows, the lines up to it joined with CR LF (blank lines at the start dropped).
std::string GetClipboard(const LineList& currentFileLines, std::string_view identifier);

// The captions of the fields a submission data file fills, in the file's order, from its
// profile's field definitions in filelay.dat's lines; fields without an identifier ("None")
// are left out. Nothing when the file is empty or its profile is not in the layout.
std::optional<std::vector<std::string>> CopyableFieldCaptions(const LineList& layoutLines,
                                                              const LineList& currentFileLines);
// The value of the field with that caption; nothing when the profile or the caption is not
// there.
std::optional<std::string> CopyableFieldValue(const LineList& layoutLines,
                                              const LineList& currentFileLines,
                                              std::string_view caption);

} // namespace siteherald
