#pragma once

#include "core/line_file.h"

#include <string>
#include <string_view>

namespace siteherald {

// The value of an auto-fill identifier in a submission data file's lines: the text after the
// ":" of the first line holding the identifier, or, when a closing "$" + identifier line
// follows, the lines up to it joined with CR LF (blank lines at the start dropped).
std::string GetClipboard(const LineList& currentFileLines, std::string_view identifier);

} // namespace siteherald
