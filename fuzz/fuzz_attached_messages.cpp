// The attached-message blocks of a submission file given as the input's lines: for each
// subject its text, the block found from its listed name (for editing and for removal) and
// from the subject itself, erased from a copy, and the block replaced. A block lies within
// the file, an end line it reports is one, erasing takes exactly the lines the block reports,
// and a replaced block ends up last, whole.

#include "broadcast/attached_messages.h"
#include "fuzz_check.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using siteherald::LineList;
using siteherald::MessageBlock;

namespace {

void CheckBlock(const LineList& lines, const std::optional<MessageBlock>& block) {
    if (!block)
        return;
    Check(block->start < block->end && block->end <= lines.size());
    Check(lines[block->start].find("$START") != std::string::npos);
    if (block->hasEnd)
        Check(block->end < lines.size() && lines[block->end].find("$END") != std::string::npos);
    const size_t taken = (block->hasEnd ? block->end + 1 : block->end) - block->start;
    const LineList text = block->Text(lines);
    Check(text.size() == (block->end > block->start + 2 ? block->end - block->start - 2 : 0));

    LineList erased = lines;
    siteherald::EraseMessageBlock(erased, *block);
    Check(erased.size() == lines.size() - taken);
    Check(
        std::equal(lines.begin(), lines.begin() + static_cast<long>(block->start), erased.begin()));
    Check(std::equal(lines.begin() + static_cast<long>(block->start + taken), lines.end(),
                     erased.begin() + static_cast<long>(block->start)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const LineList lines =
        siteherald::SplitLines(std::string_view(reinterpret_cast<const char*>(data), size));
    const std::vector<std::string> subjects = siteherald::MessageSubjects(lines);
    for (size_t i = 0; i < subjects.size() && i < 16; ++i) {
        const std::string& subject = subjects[i];
        if (const auto text = siteherald::ReturnMessage(lines, subject))
            Check(!text->starts_with("\r\n"));

        const std::string item = siteherald::MessageDisplayName(subject);
        Check(item.size() <= 40);
        const auto forEdit = siteherald::FindMessageForEdit(lines, item);
        Check(forEdit.has_value());
        CheckBlock(lines, forEdit);
        CheckBlock(lines, siteherald::FindMessageForRemoval(lines, item));
        CheckBlock(lines, siteherald::FindMessageForRemoval(lines, subject));

        LineList replaced = lines;
        Check(siteherald::ReplaceMessageBlock(replaced, subject, {"new text"}));
        Check(replaced.size() >= 4 && replaced.size() <= lines.size() + 4);
        Check(LineList(replaced.end() - 4, replaced.end()) ==
              LineList({"$START" + subject, "", "new text", "$END" + subject}));
    }
    return 0;
}
