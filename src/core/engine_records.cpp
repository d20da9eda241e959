#include "engine_records.h"

#include "ascii.h"
#include "pipe_record.h"

#include <algorithm>
#include <unordered_set>

namespace siteherald {

std::string EngineMarker(std::string_view name) {
    return std::string(1, '$').append(name).append("$");
}

bool IsEngineMarker(std::string_view line, std::string_view* name) {
    if (line.size() < 2 || line.front() != '$')
        return false;
    const size_t second = line.find('$', 1);
    if (second != line.size() - 1)
        return false;
    if (name)
        *name = line.substr(1, second - 1);
    return true;
}

bool FillSeCombo(const std::string& file, LineList& seRecordList, std::vector<std::string>& names) {
    seRecordList.clear();
    names.clear();
    if (!LoadLineFile(file, seRecordList))
        return false;
    std::unordered_set<std::string_view> seen;
    for (const std::string& line : seRecordList) {
        std::string_view name;
        if (IsEngineMarker(line, &name) && seen.insert(name).second)
            names.emplace_back(name);
    }
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return LessIgnoringCase(a, b); });
    return true;
}

RecordLookup GetSEData(const std::string& file, const std::string& name, LineList& seRecordList) {
    LineList lines;
    seRecordList.clear();
    LoadLineFile(file, lines);
    if (lines.empty())
        return RecordLookup::FileMissing;
    const std::string marker = EngineMarker(name);
    const size_t start = FindLine(lines, marker);
    if (start == kNoLine)
        return RecordLookup::NotFound;
    size_t end = FindLine(lines, marker, start + 1);
    if (end == kNoLine)
        end = lines.size();
    seRecordList.assign(std::make_move_iterator(lines.begin() + static_cast<long>(start) + 1),
                        std::make_move_iterator(lines.begin() + static_cast<long>(end)));
    return RecordLookup::Found;
}

EngineAddresses ParseSEData(const LineList& seRecordList) {
    if (seRecordList.empty())
        return {};
    return {PipeFieldOrEmpty(seRecordList[0], 2), PipeFieldOrEmpty(seRecordList[0], 3)};
}

bool HasSubmissionAddress(const LineList& seRecordList) {
    return !ParseSEData(seRecordList).submission.empty();
}

std::string DamagedRecordMessage(const std::string& name) {
    return "The record of " + name + " in sedata.dat is damaged.";
}

bool HoldsUsableEngine(const LineList& lines) {
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!IsEngineMarker(lines[i]))
            continue;
        if (i + 1 < lines.size() && HasSubmissionAddress({lines[i + 1]}))
            return true;
        // Skip to the end marker, so no field line is taken for an engine line.
        const size_t end = FindLine(lines, lines[i], i + 1);
        if (end != kNoLine)
            i = end;
    }
    return false;
}

bool RemoveSE(const std::string& file, const std::string& name) {
    LineList lines;
    if (!LoadLineFile(file, lines))
        return false;
    const std::string marker = EngineMarker(name);
    const size_t start = FindLine(lines, marker);
    if (start == kNoLine)
        return false;
    const size_t end = FindLine(lines, marker, start + 1);
    if (end == kNoLine)
        return false;
    lines.erase(lines.begin() + static_cast<long>(start),
                lines.begin() + static_cast<long>(end) + 1);
    SaveLineFile(file, lines);
    return true;
}

size_t SelectionAfterRemoval(size_t removed, size_t remaining) {
    if (remaining == 0)
        return kNoLine;
    return removed >= remaining ? removed - 1 : removed;
}

void SaveSEData(const std::string& seFile, const std::string& changeFile,
                const LineList& editRecord, bool editingExisting) {
    if (editRecord.empty())
        return;
    LineList lines;
    LoadLineFile(seFile, lines);
    if (editingExisting && !lines.empty()) {
        const std::string& marker = editRecord.front();
        const size_t start = FindLine(lines, marker);
        if (start != kNoLine) {
            size_t end = FindLine(lines, marker, start + 1);
            if (end == kNoLine) {
                // A damaged old record: take it out up to the next engine's marker, so the
                // engines after it are kept.
                end = start + 1;
                while (end < lines.size() && !IsEngineMarker(lines[end]))
                    ++end;
            } else {
                ++end;
            }
            lines.erase(lines.begin() + static_cast<long>(start),
                        lines.begin() + static_cast<long>(end));
        }
    }
    lines.insert(lines.end(), editRecord.begin(), editRecord.end());
    SaveLineFile(seFile, lines);

    LineList changes;
    LoadLineFile(changeFile, changes);
    changes.insert(changes.end(), editRecord.begin(), editRecord.end());
    SaveLineFile(changeFile, changes);
}

std::string MakeEngineLine(const std::string& name, const std::string& submissionUrl,
                           const std::string& infoUrl) {
    std::string line = name + "|" + submissionUrl + "|";
    if (!infoUrl.empty())
        line += infoUrl + "|";
    return line;
}

std::vector<std::string> GetFields(const LineList& editRecord) {
    std::vector<std::string> fields;
    for (size_t i = 1; i < editRecord.size(); ++i)
        fields.push_back(PipeField(editRecord[i], 1));
    return fields;
}

} // namespace siteherald
