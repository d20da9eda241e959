#include "profiles.h"

#include "ascii.h"
#include "pipe_record.h"

#include <algorithm>
#include <cstdlib>

namespace siteherald {

namespace {

// End of the "$AutoFill" section opened at `open`: its closing marker, or, in a damaged file
// without one, the next section's marker or the end of the file (identifiers never begin
// with "$").
size_t AutoFillSectionEnd(const LineList& lines, size_t open, bool& closed) {
    const size_t close = FindLine(lines, "$AutoFill", open + 1);
    closed = close != kNoLine;
    if (closed)
        return close;
    size_t end = open + 1;
    while (end < lines.size() && (lines[end].empty() || lines[end][0] != '$'))
        ++end;
    return end;
}

void SortUnique(std::vector<std::string>& names) {
    std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return LessIgnoringCase(a, b);
    });
    names.erase(std::unique(names.begin(), names.end(),
                            [](const std::string& a, const std::string& b) {
                                return EqualsIgnoringCase(a, b);
                            }),
                names.end());
}

} // namespace

std::string OneLineValue(std::string_view value) {
    std::string out(value);
    std::replace_if(
        out.begin(), out.end(), [](char c) { return c == '\r' || c == '\n'; }, ' ');
    return out;
}

FieldDefinition ParseFieldDefinition(const std::string& line) {
    return {PipeFieldOrEmpty(line, 1), PipeFieldOrEmpty(line, 2), PipeFieldOrEmpty(line, 3),
            PipeFieldOrEmpty(line, 4), PipeFieldOrEmpty(line, 5)};
}

std::string FormatFieldDefinition(const FieldDefinition& f) {
    return OneLineValue(f.type + "|" + f.width + "|" + f.name + "|" + f.autoFill + "|" +
                        f.defaultValue + "|");
}

std::vector<std::string> DisplayDefaultList(const LineList& layoutLines) {
    std::vector<std::string> names;
    for (const std::string& line : layoutLines)
        if (line.rfind("$START", 0) == 0)
            names.push_back(line.substr(6));
    return names;
}

std::optional<LineList> ProfileSection(const LineList& layoutLines, const std::string& name) {
    const size_t start = FindLine(layoutLines, "$START" + name);
    if (start == kNoLine)
        return std::nullopt;
    size_t end = FindLine(layoutLines, "$END" + name, start + 1);
    if (end == kNoLine)
        end = layoutLines.size();
    return LineList(layoutLines.begin() + static_cast<long>(start) + 1,
                    layoutLines.begin() + static_cast<long>(end));
}

std::optional<std::vector<std::vector<FieldDefinition>>>
ReadProfileRows(const LineList& layoutLines, const std::string& name) {
    const auto section = ProfileSection(layoutLines, name);
    if (!section)
        return std::nullopt;
    std::vector<std::vector<FieldDefinition>> rows;
    if (section->empty())
        return rows;
    const int count = std::atoi(section->back().c_str());
    size_t at = 0;
    for (int r = 1; r <= count && at < section->size(); ++r) {
        const std::string marker = std::to_string(r);
        ++at; // the opening row marker
        std::vector<FieldDefinition> row;
        while (at < section->size() && (*section)[at] != marker)
            row.push_back(ParseFieldDefinition((*section)[at++]));
        ++at; // the closing row marker
        rows.push_back(std::move(row));
    }
    return rows;
}

std::vector<std::string> ProfileRowList(const LineList& profileRows,
                                        std::vector<std::string>& freeAutoFills) {
    std::vector<std::string> entries;
    if (profileRows.empty())
        return entries;
    const int count = std::atoi(profileRows.back().c_str());
    for (int r = 1; r <= count; ++r) {
        const std::string marker = std::to_string(r);
        size_t at = FindLine(profileRows, marker);
        std::string names;
        if (at != kNoLine) {
            for (++at; at < profileRows.size() && profileRows[at] != marker; ++at) {
                const FieldDefinition field = ParseFieldDefinition(profileRows[at]);
                if (field.autoFill != "None")
                    std::erase(freeAutoFills, field.autoFill);
                names += (names.empty() ? "" : ", ") + field.name;
            }
        }
        entries.push_back("Row " + marker + ": " + names);
    }
    return entries;
}

bool DeleteProfileSection(const std::string& layoutFile, const std::string& name) {
    LineList lines;
    LoadLineFile(layoutFile, lines);
    if (lines.empty())
        return false;
    const size_t start = FindLine(lines, "$START" + name);
    if (start == kNoLine)
        return false;
    const size_t end = FindLine(lines, "$END" + name, start + 1);
    lines.erase(lines.begin() + static_cast<long>(start),
                end == kNoLine ? lines.end() : lines.begin() + static_cast<long>(end) + 1);
    SaveLineFile(layoutFile, lines);
    return true;
}

void SaveNewProf(LineList& layoutLines, const std::string& name, const LineList& profileRows) {
    layoutLines.push_back("$START" + OneLineValue(name));
    layoutLines.insert(layoutLines.end(), profileRows.begin(), profileRows.end());
    layoutLines.push_back("$END" + OneLineValue(name));
}

void SaveOldProf(LineList& layoutLines, const std::string& oldName, const std::string& name,
                 const LineList& profileRows) {
    const size_t start = FindLine(layoutLines, "$START" + oldName);
    if (start != kNoLine) {
        const size_t end = FindLine(layoutLines, "$END" + oldName, start + 1);
        layoutLines.erase(layoutLines.begin() + static_cast<long>(start),
                          end == kNoLine ? layoutLines.end()
                                         : layoutLines.begin() + static_cast<long>(end) + 1);
    }
    SaveNewProf(layoutLines, name, profileRows);
}

std::vector<std::string> GetAutoFill(const std::string& profsFile) {
    LineList lines;
    LoadLineFile(profsFile, lines);
    const size_t open = FindLine(lines, "$AutoFill");
    if (open == kNoLine)
        return {};
    bool closed = false;
    const size_t close = AutoFillSectionEnd(lines, open, closed);
    std::vector<std::string> ids(lines.begin() + static_cast<long>(open) + 1,
                                 lines.begin() + static_cast<long>(close));
    SortUnique(ids);
    return ids;
}

void SaveAutoFill(const std::string& profsFile, const std::vector<std::string>& identifiers) {
    LineList lines;
    if (!LoadLineFile(profsFile, lines)) {
        lines.push_back("$AutoFill");
        lines.insert(lines.end(), identifiers.begin(), identifiers.end());
        lines.push_back("$AutoFill");
        SaveLineFile(profsFile, lines);
        return;
    }
    size_t open = FindLine(lines, "$AutoFill");
    if (open == kNoLine) {
        // A profs.dat without the section gets one at its end.
        lines.push_back("$AutoFill");
        open = lines.size() - 1;
        lines.push_back("$AutoFill");
    }
    bool closed = false;
    const size_t close = AutoFillSectionEnd(lines, open, closed);
    if (!closed)
        lines.insert(lines.begin() + static_cast<long>(close), "$AutoFill");
    lines.erase(lines.begin() + static_cast<long>(open) + 1,
                lines.begin() + static_cast<long>(close));
    lines.insert(lines.begin() + static_cast<long>(open) + 1, identifiers.begin(),
                 identifiers.end());
    SaveLineFile(profsFile, lines);
}

} // namespace siteherald
