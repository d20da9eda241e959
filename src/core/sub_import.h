#pragma once

#include "line_file.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace siteherald {

// An older ".sub" submission file, read by line position: eight single values, four text
// sections ended by the marker lines "$MEMO2$", "$MEMO3$", "$MEMO4$" and "$MEMO7$", and a
// message after the last marker.
struct SubFileContents {
    // (field name, value) for title, url, email, name, addre, city, busna, phone.
    std::vector<std::pair<std::string, std::string>> singles;
    // The sections for desc1, keywo, desc2 and desc3.
    std::array<std::pair<std::string, LineList>, 4> sections;
    LineList message;
};

// Nothing, with the reason in `problem`, for a file too short to hold the fixed positions
// (fewer than 14 lines) or lacking one of the markers.
std::optional<SubFileContents> ReadSubFile(const LineList& lines, std::string& problem);

} // namespace siteherald
