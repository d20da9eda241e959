#pragma once

#include "core/line_file.h"

#include <string>
#include <string_view>

namespace siteherald {

// Names of the generated pages, written side by side in the data directory: the frame page
// refers to the other two by bare name.
inline constexpr std::string_view kMainPageName = "~mainauto.htm";
inline constexpr std::string_view kAdPageName = "~adauto.htm";
inline constexpr std::string_view kFramePageName = "~auto.htm";

// The frame page: the ad page on top, the filled page below, and both again for browsers
// without frames.
LineList MakePage(std::string_view mainPage, std::string_view adPage, const LineList& adPageLines,
                  const LineList& pageLines);

// The banner shown above the filled page: names the engine and tells the user what to do.
LineList MakeAdBanner(std::string_view engineName);

// Writes the filled page and the frame page into dir (the ad page is written when it is
// fetched or made). Returns the frame page's path. Throws FileError.
std::string SaveSubmissionPages(const std::string& dir, const LineList& pageLines,
                                const LineList& adPageLines);

} // namespace siteherald
