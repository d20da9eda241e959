// PipeField on arbitrary lines: the fields read one by one, joined again with "|", give back
// the line up to the bar that ends the last of them.

#include "core/pipe_record.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view line(reinterpret_cast<const char*>(data), size);
    const size_t bars = static_cast<size_t>(std::count(line.begin(), line.end(), '|'));

    for (int n : {-1, 0})
        if (siteherald::PipeField(line, n) != siteherald::kPipeError)
            std::abort();

    // Every call walks the line from the start: the number of fields checked is capped to
    // keep long inputs fast.
    const int checked = static_cast<int>(std::min<size_t>(bars, 64));
    std::string rebuilt;
    for (int n = 1; n <= checked; ++n) {
        rebuilt += siteherald::PipeField(line, n);
        rebuilt += '|';
    }
    if (line.substr(0, rebuilt.size()) != rebuilt)
        std::abort();
    if (checked == static_cast<int>(bars)) {
        // The text after the last bar belongs to no field.
        if (siteherald::PipeField(line, checked + 1) != siteherald::kPipeError)
            std::abort();
        if (line.find('|', rebuilt.size()) != std::string_view::npos)
            std::abort();
    }
    siteherald::PipeField(line, 1 << 20);
    return 0;
}
