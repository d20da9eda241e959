#include "profile_rows.h"

#include "ascii.h"

#include <algorithm>

namespace siteherald {

namespace {

bool Contains(const std::string& text, char c) {
    return text.find(c) != std::string::npos;
}

FieldDefinition Definition(const std::string& type, bool half, const std::string& name,
                           const std::string& autoFill, const std::string& defaultValue) {
    return {type.substr(0, 1), half ? "HALF" : "WHOLE", name, autoFill, defaultValue};
}

// The opening and closing marker of a row; kNoLine when the row is not there.
std::pair<size_t, size_t> RowBounds(const LineList& rows, int number) {
    const std::string marker = std::to_string(number);
    const size_t open = FindLine(rows, marker);
    if (open == kNoLine)
        return {kNoLine, kNoLine};
    const size_t close = FindLine(rows, marker, open + 1);
    return {open, close == kNoLine ? rows.size() : close};
}

} // namespace

std::string RowProblem(const RowInput& row) {
    const std::string pipe = "Names and Default Values cannot contain a \"|\".";
    if (Contains(row.name1, '|') || Contains(row.default1, '|'))
        return pipe;
    if (row.halfSize && (Contains(row.name2, '|') || Contains(row.default2, '|')))
        return pipe;
    if (row.autoFill1 == row.autoFill2 && row.autoFill1 != "None")
        return "Each AutoFill value can only be used once.";
    if (Contains(row.name1, ',') || Contains(row.name2, ','))
        return "Names and Default Values cannot contain a \",\".";
    if (row.name1.empty() || (row.halfSize && row.name2.empty()))
        return "Please type in a name for each field.";
    return {};
}

LineList RowDefinitions(const RowInput& row) {
    LineList lines{FormatFieldDefinition(
        Definition(row.type1, row.halfSize, row.name1, row.autoFill1, row.default1))};
    if (row.halfSize)
        lines.push_back(FormatFieldDefinition(
            Definition(row.type2, true, row.name2, row.autoFill2, row.default2)));
    return lines;
}

void FreeAutoFill(std::vector<std::string>& freeAutoFills, const std::string& identifier) {
    if (identifier == "None")
        return;
    const auto at = std::lower_bound(
        freeAutoFills.begin(), freeAutoFills.end(), identifier,
        [](const std::string& a, const std::string& b) { return LowerAscii(a) < LowerAscii(b); });
    if (at == freeAutoFills.end() || !EqualsIgnoringCase(*at, identifier))
        freeAutoFills.insert(at, identifier);
}

void TakeAutoFill(std::vector<std::string>& freeAutoFills, const std::string& identifier) {
    if (identifier != "None")
        std::erase(freeAutoFills, identifier);
}

void AddRow(LineList& rows, int number, const RowInput& row,
            std::vector<std::string>& freeAutoFills) {
    const std::string marker = std::to_string(number);
    rows.push_back(marker);
    for (const std::string& line : RowDefinitions(row))
        rows.push_back(line);
    rows.push_back(marker);
    TakeAutoFill(freeAutoFills, row.autoFill1);
    if (row.halfSize)
        TakeAutoFill(freeAutoFills, row.autoFill2);
}

bool EditRow(LineList& rows, int number, const RowInput& row,
             std::vector<std::string>& freeAutoFills) {
    const auto [open, close] = RowBounds(rows, number);
    if (open == kNoLine)
        return false;
    rows.erase(rows.begin() + static_cast<long>(open) + 1, rows.begin() + static_cast<long>(close));
    const LineList definitions = RowDefinitions(row);
    rows.insert(rows.begin() + static_cast<long>(open) + 1, definitions.begin(), definitions.end());
    TakeAutoFill(freeAutoFills, row.autoFill1);
    if (row.halfSize)
        TakeAutoFill(freeAutoFills, row.autoFill2);
    return true;
}

std::vector<FieldDefinition> RowFields(const LineList& rows, int number) {
    std::vector<FieldDefinition> fields;
    const auto [open, close] = RowBounds(rows, number);
    if (open == kNoLine)
        return fields;
    for (size_t i = open + 1; i < close; ++i)
        fields.push_back(ParseFieldDefinition(rows[i]));
    return fields;
}

int RowCount(const LineList& rows) {
    return rows.empty() ? 0 : std::atoi(rows.back().c_str());
}

void RemoveRow(LineList& rows, int number, std::vector<std::string>& freeAutoFills) {
    const auto [open, close] = RowBounds(rows, number);
    if (open == kNoLine)
        return;
    for (size_t i = open + 1; i < close; ++i)
        FreeAutoFill(freeAutoFills, ParseFieldDefinition(rows[i]).autoFill);
    rows.erase(rows.begin() + static_cast<long>(open),
               rows.begin() + static_cast<long>(std::min(close + 1, rows.size())));
    // Later markers are numbers; a field definition always holds "|".
    for (std::string& line : rows) {
        if (line.find('|') != std::string::npos)
            continue;
        const int k = std::atoi(line.c_str());
        if (k > number)
            line = std::to_string(k - 1);
    }
}

void ShiftRowList(std::vector<std::string>& entries, size_t index) {
    if (index >= entries.size())
        return;
    for (size_t i = index; i + 1 < entries.size(); ++i) {
        const size_t colon = entries[i].find(':');
        const size_t below = entries[i + 1].find(':');
        const std::string head =
            colon == std::string::npos ? entries[i] : entries[i].substr(0, colon + 1);
        entries[i] = head + (below == std::string::npos ? "" : entries[i + 1].substr(below + 1));
    }
    entries.pop_back();
}

std::string RowListEntry(int number, const RowInput& row) {
    return "Row " + std::to_string(number) + ": " + row.name1 +
           (row.halfSize ? ", " + row.name2 : "");
}

} // namespace siteherald
