// An older ".sub" submission file read by position: a file either reads whole, every line
// taken from inside it, or is refused; the subject of its message is always new.

#include "broadcast/attached_messages.h"
#include "core/line_file.h"
#include "core/sub_import.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const siteherald::LineList lines = siteherald::SplitLines(bytes);
    std::string problem;
    const auto contents = siteherald::ReadSubFile(lines, problem);
    if (!contents) {
        if (problem.empty())
            std::abort();
        return 0;
    }
    size_t taken = contents->message.size();
    for (const auto& section : contents->sections)
        taken += section.second.size();
    if (contents->singles.size() != 8 || taken + 3 > lines.size())
        std::abort();

    // The file's own lines stand in for messages already attached.
    const std::string subject = siteherald::ImportSubject(lines, "/tmp/old file.sub");
    if (subject.size() > 40)
        std::abort();
    for (const std::string& line : lines)
        if (line.rfind("$START" + subject, 0) == 0)
            std::abort();
    return 0;
}
