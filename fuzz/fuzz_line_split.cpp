// SplitLines in both modes: lines never hold a break, the NUL mode only cuts lines, and the
// lines written back with JoinLines split into the same lines again.

#include "core/line_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string_view>

using siteherald::LineList;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const LineList lines = siteherald::SplitLines(bytes);
    const LineList cut = siteherald::SplitLines(bytes, true);
    if (cut.size() != lines.size())
        std::abort();

    size_t textBytes = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find_first_of("\r\n") != std::string::npos)
            std::abort();
        if (cut[i] != lines[i].substr(0, lines[i].find('\0')))
            std::abort();
        textBytes += lines[i].size();
    }
    // Only the breaks are dropped.
    const auto breaks =
        std::count_if(bytes.begin(), bytes.end(), [](char c) { return c == '\r' || c == '\n'; });
    if (textBytes + static_cast<size_t>(breaks) != bytes.size())
        std::abort();

    if (siteherald::SplitLines(siteherald::JoinLines(lines)) != lines)
        std::abort();
    if (siteherald::SplitLines(siteherald::JoinLines(cut), true) != cut)
        std::abort();
    return 0;
}
