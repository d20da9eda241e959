// Time of the log and note look-ups the main window does on every tick of "Submitted" and
// every change of engine, on large files: a sub.log of 2,000 submission files with 200
// engines each (about 400,000 lines) and a subnotes.dat of 5,000 engines. Each operation
// loads (and the writing one rewrites, flushed to disk) the whole file.

#include "core/line_file.h"
#include "submit/notes_store.h"
#include "submit/submission_log.h"
#include "test_support.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using siteherald::LineList;

constexpr int kLogFiles = 2'000;
constexpr int kLogEngines = 200;
constexpr int kNoteEngines = 5'000;

// A private folder for the benchmark's files, removed at exit.
const siteherald::testing::TempDir& Folder() {
    static const siteherald::testing::TempDir folder;
    return folder;
}

std::string SubmissionFile(int i) {
    char text[64];
    std::snprintf(text, sizeof text, "/home/robin/sites/site%04d/submit.dat", i);
    return text;
}

// "$" + text, spelled so that GCC 12 does not warn (-Wrestrict) about operator+ on a temporary.
std::string Marker(const std::string& text) {
    std::string marker(1, '$');
    return marker.append(text);
}

std::string EngineName(int i) {
    char text[48];
    std::snprintf(text, sizeof text, "Engine %04d Directory", i);
    return text;
}

const std::string& LogBytes() {
    static const std::string bytes = [] {
        LineList lines;
        lines.reserve(kLogFiles * (kLogEngines + 2));
        for (int f = 0; f < kLogFiles; ++f) {
            const std::string marker = Marker(SubmissionFile(f));
            lines.push_back(marker);
            for (int e = 0; e < kLogEngines; ++e)
                lines.push_back(EngineName(e) + " | Submitted: Jan 05, 1999");
            lines.push_back(marker);
        }
        return siteherald::JoinLines(lines);
    }();
    return bytes;
}

const std::string& SubNotesBytes() {
    static const std::string bytes = [] {
        LineList lines;
        for (int e = 0; e < kNoteEngines; ++e) {
            const std::string marker = Marker(EngineName(e));
            lines.push_back(marker);
            for (int f = 0; f < 3; ++f) {
                const std::string key = f == 0 ? "$Main" : Marker(SubmissionFile(f * 7));
                lines.push_back(key);
                lines.push_back("Accepts one page a day; category " + std::to_string(e % 40));
                lines.push_back("Resubmit after a month when not listed.");
                lines.push_back(key);
            }
            lines.push_back(marker);
        }
        return siteherald::JoinLines(lines);
    }();
    return bytes;
}

std::string Prepared(const std::string& name, const std::string& bytes) {
    const std::string path = Folder() / name;
    siteherald::WriteFileAtomic(path, bytes);
    return path;
}

// Ticking "Submitted" for an engine not yet logged, in a file whose section is in the
// middle of the log: the entry is added (the section moves to the end) and the tick boxes
// read the log again. The log is put back with the timer stopped.
void BM_TickSubmitted(benchmark::State& state) {
    const std::string log = Prepared("sub.log", LogBytes());
    const std::string file = SubmissionFile(kLogFiles / 2);
    bool logged = true;
    for (auto _ : state) {
        siteherald::AddToLog(log, file, "Zeta Search", "Jan 05, 1999");
        logged = logged && siteherald::SubmittedSE(log, file, "Zeta Search");
        state.PauseTiming();
        siteherald::WriteFileAtomic(log, LogBytes());
        state.ResumeTiming();
    }
    if (!logged)
        state.SkipWithError("entry not found after adding it");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * LogBytes().size()));
}
BENCHMARK(BM_TickSubmitted)->Unit(benchmark::kMillisecond);

// The check done on every change of engine, for the file whose section is last.
void BM_SubmittedSE(benchmark::State& state) {
    const std::string log = Prepared("sub-read.log", LogBytes());
    const std::string file = SubmissionFile(kLogFiles - 1);
    bool logged = true;
    for (auto _ : state)
        logged = logged && siteherald::SubmittedSE(log, file, EngineName(kLogEngines - 1));
    if (!logged)
        state.SkipWithError("entry not found");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * LogBytes().size()));
}
BENCHMARK(BM_SubmittedSE)->Unit(benchmark::kMillisecond);

void GetSubNotesOf(benchmark::State& state, const std::string& key) {
    const std::string notes = Prepared("subnotes.dat", SubNotesBytes());
    const std::string engine = EngineName(kNoteEngines - 10);
    std::string note;
    for (auto _ : state) {
        note = siteherald::GetSubNotes(notes, engine, key);
        benchmark::DoNotOptimize(note.data());
    }
    if (note.rfind("Accepts one page a day", 0) != 0)
        state.SkipWithError("note not found");
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * SubNotesBytes().size()));
}

void BM_GetSubNotes_Main(benchmark::State& state) {
    GetSubNotesOf(state, "$Main");
}
BENCHMARK(BM_GetSubNotes_Main)->Unit(benchmark::kMillisecond);

void BM_GetSubNotes_FileKey(benchmark::State& state) {
    GetSubNotesOf(state, Marker(SubmissionFile(14)));
}
BENCHMARK(BM_GetSubNotes_FileKey)->Unit(benchmark::kMillisecond);

} // namespace
