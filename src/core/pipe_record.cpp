#include "pipe_record.h"

namespace siteherald {

std::string PipeField(std::string_view line, int n) {
    if (n < 1 || line.find('|') == std::string_view::npos)
        return std::string(kPipeError);
    std::string_view rest = line;
    std::string_view field;
    for (int i = 0; i < n; ++i) {
        const size_t bar = rest.find('|');
        if (bar == std::string_view::npos)
            return std::string(kPipeError);
        field = rest.substr(0, bar);
        rest.remove_prefix(bar + 1);
    }
    return std::string(field);
}

std::string PipeFieldOrEmpty(std::string_view line, int n) {
    std::string field = PipeField(line, n);
    return field == kPipeError ? std::string() : field;
}

} // namespace siteherald
