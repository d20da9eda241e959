// Time of the record operations on large files: a submission data file of 10,000 lines and an
// engine file of 10,000 engines. Each operation reads (and the writing ones rewrite) the
// whole file, so the figures are whole-file times.

#include "core/engine_records.h"
#include "core/line_file.h"
#include "submit/clipboard_value.h"
#include "test_support.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using siteherald::LineList;

constexpr size_t kDataFileLines = 10'000;
constexpr size_t kEngines = 10'000;

size_t TextBytes(const LineList& lines) {
    return siteherald::JoinLines(lines).size();
}

// A submission data file of kDataFileLines lines: many single-line fields and attached
// messages, then the multi-line field "slogn" near the end, then the field name list.
LineList LargeDataFile() {
    LineList lines = {"$PROFILE$BIG", "title:Harbour Kayak Tours",
                      "desc1:", "Guided sea-kayak tours of the harbour and the islands.",
                      "$desc1:"};
    for (size_t i = 0; lines.size() < kDataFileLines - 40; ++i) {
        const std::string n = std::to_string(i);
        if (i % 50 == 49) {
            lines.push_back("$STARTMessage " + n);
            lines.push_back("To: list" + n + "@lists.example");
            lines.push_back("Hello, this is message " + n + " about our summer programme.");
            lines.push_back("$ENDMessage " + n);
        } else {
            lines.push_back("Edit" + n + ":value of field " + n + ", with some words in it");
        }
    }
    lines.push_back("slogn:");
    for (int i = 0; i < 8; ++i)
        lines.push_back("Slogan line " + std::to_string(i) + ": paddle further, see more.");
    lines.push_back("$slogn:");
    lines.push_back("$FieldNames$");
    while (lines.size() < kDataFileLines - 1)
        lines.push_back("None");
    lines.push_back("$FieldNames$");
    return lines;
}

void BM_GetClipboard_MultiLineNearEnd(benchmark::State& state) {
    const LineList lines = LargeDataFile();
    for (auto _ : state) {
        std::string value = siteherald::GetClipboard(lines, "slogn");
        benchmark::DoNotOptimize(value.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TextBytes(lines)));
}
BENCHMARK(BM_GetClipboard_MultiLineNearEnd)->Unit(benchmark::kMicrosecond);

// A single-line field at the top: looking for its closing line scans the rest of the file.
void BM_GetClipboard_SingleLineAtTop(benchmark::State& state) {
    const LineList lines = LargeDataFile();
    for (auto _ : state) {
        std::string value = siteherald::GetClipboard(lines, "title");
        benchmark::DoNotOptimize(value.data());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * TextBytes(lines)));
}
BENCHMARK(BM_GetClipboard_SingleLineAtTop)->Unit(benchmark::kMicrosecond);

// A private folder for the benchmark's files, removed at exit.
const siteherald::testing::TempDir& Folder() {
    static const siteherald::testing::TempDir folder;
    return folder;
}

// Engine i's name. The names do not come in sorted order, so that listing them sorts.
std::string EngineName(size_t i) {
    return "Engine " + std::to_string((i * 7919) % 100'003) + " Directory";
}

void AppendEngine(LineList& lines, size_t i) {
    static const char* const kFields[] = {"url|url|",    "title|title|",    "email|email|",
                                          "desc|desc1|", "keywords|keywo|", "name|name|",
                                          "password||",  "company|busna|"};
    const std::string name = EngineName(i);
    lines.push_back("$" + name + "$");
    lines.push_back(
        name + "|http://www.engine" + std::to_string(i) + ".example/cgi-bin/add.cgi|" +
        (i % 3 ? "http://www.engine" + std::to_string(i) + ".example/about.html|" : ""));
    for (size_t f = 0; f < i % 9; ++f)
        lines.push_back(kFields[f % 8]);
    lines.push_back("$" + name + "$");
}

// sedata.dat with kEngines engines, as bytes.
const std::string& EngineFileBytes() {
    static const std::string bytes = [] {
        LineList lines;
        for (size_t i = 0; i < kEngines; ++i)
            AppendEngine(lines, i);
        return siteherald::JoinLines(lines);
    }();
    return bytes;
}

// sechanged.sec after a hundred saved engines.
const std::string& ChangeFileBytes() {
    static const std::string bytes = [] {
        LineList lines;
        for (size_t i = 0; i < 100; ++i)
            AppendEngine(lines, i * 97);
        return siteherald::JoinLines(lines);
    }();
    return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        std::abort();
}

// A fresh sedata.dat for one benchmark.
std::string EngineFile(const std::string& name) {
    const std::string path = Folder() / name;
    WriteBytes(path, EngineFileBytes());
    return path;
}

void SetFileBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * EngineFileBytes().size()));
}

void BM_FillSeCombo(benchmark::State& state) {
    const std::string file = EngineFile("fill.dat");
    LineList records;
    std::vector<std::string> names;
    for (auto _ : state) {
        siteherald::FillSeCombo(file, records, names);
        benchmark::DoNotOptimize(names.data());
    }
    if (names.size() != kEngines)
        state.SkipWithError("wrong number of engines listed");
    SetFileBytes(state);
}
BENCHMARK(BM_FillSeCombo)->Unit(benchmark::kMillisecond);

void BM_GetSEData_LastEngine(benchmark::State& state) {
    const std::string file = EngineFile("get.dat");
    const std::string name = EngineName(kEngines - 1);
    LineList record;
    for (auto _ : state) {
        const auto found = siteherald::GetSEData(file, name, record);
        benchmark::DoNotOptimize(found);
    }
    if (record.empty() || record.front().rfind(name + "|", 0) != 0)
        state.SkipWithError("last engine not found");
    SetFileBytes(state);
}
BENCHMARK(BM_GetSEData_LastEngine)->Unit(benchmark::kMillisecond);

// Removing the last engine, which rewrites the whole file (flushed to disk); the file is put
// back with the timer stopped.
void BM_RemoveSE_LastEngine(benchmark::State& state) {
    const std::string file = EngineFile("remove.dat");
    const std::string name = EngineName(kEngines - 1);
    for (auto _ : state) {
        if (!siteherald::RemoveSE(file, name)) {
            state.SkipWithError("engine not removed");
            break;
        }
        state.PauseTiming();
        WriteBytes(file, EngineFileBytes());
        state.ResumeTiming();
    }
    SetFileBytes(state);
}
BENCHMARK(BM_RemoveSE_LastEngine)->Unit(benchmark::kMillisecond);

// Saving an edited engine from the middle of the list: its old record goes, the new one is
// appended, and the change file grows by one record. Both files are flushed to disk.
void BM_SaveSEData_EditMiddleEngine(benchmark::State& state) {
    const std::string file = EngineFile("save.dat");
    const std::string changes = Folder() / "save.sec";
    LineList record;
    AppendEngine(record, kEngines / 2);
    record.insert(record.end() - 1, "notes|desc2|");
    for (auto _ : state) {
        state.PauseTiming();
        WriteBytes(file, EngineFileBytes());
        WriteBytes(changes, ChangeFileBytes());
        state.ResumeTiming();
        siteherald::SaveSEData(file, changes, record, true);
    }
    SetFileBytes(state);
}
BENCHMARK(BM_SaveSEData_EditMiddleEngine)->Unit(benchmark::kMillisecond);

} // namespace
