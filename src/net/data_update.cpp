#include "data_update.h"

#include "core/data_dir.h"
#include "core/engine_records.h"
#include "core/product_defaults.h"
#include "core/settings_keys.h"
#include "download.h"
#include "version_check.h"

#include <cstdio>
#include <vector>

namespace siteherald {

namespace {

constexpr std::string_view kUpdateMarker = "$UPDATE$";
constexpr std::string_view kNoNewUpdates = "No new updates available.";
constexpr std::string_view kCorruptedUpdate =
    "The update file is corrupted. Please try again or use e-mail support for help.";

// "Unable to retrieve ..." with why the client failed: the server's status, or the
// client's own reason when no answer came.
std::string DownloadFailure(const THttpCli& client) {
    return "Unable to retrieve \"" + client.Url + "\": " + client.FailureReason();
}

std::string SupportAddress() {
    return Read(settings::SupportEmail);
}

// Erases the record opened by lines[start]: through the next line equal to it, or to the
// end when none follows.
void EraseRecord(LineList& lines, size_t start) {
    const size_t end = FindLine(lines, lines[start], start + 1);
    lines.erase(lines.begin() + static_cast<long>(start),
                end == kNoLine ? lines.end() : lines.begin() + static_cast<long>(end) + 1);
}

// Whether to leave out the update's record opened by `marker`; a known engine that is to
// be replaced is taken out of `seData` here.
bool LeaveOut(const std::string& marker, LineList& seData, UpdatePolicy policy, Prompter& ui) {
    const size_t known = FindLine(seData, marker);
    if (known == kNoLine)
        return false; // a new engine is always added
    if (policy == UpdatePolicy::SkipKnown)
        return true;
    if (policy == UpdatePolicy::Ask) {
        const std::string name = marker.substr(1, marker.size() - 2);
        if (!ui.AskYesNo(MessageIcon::Confirmation,
                         "Overwrite search engine data for " + name + "?"))
            return true;
    }
    EraseRecord(seData, known);
    return false;
}

// Saves one downloaded whole data file. False only when its download failed.
bool ProcessUpdateFiles(bool downloadOk, const LineList& lines, const std::string& fileName,
                        const std::string& dataDir, UpdateUi& ui) {
    ui.Status("");
    if (!downloadOk)
        return false;
    const std::string tail =
        " is corrupted. Please try again later or contact " + SupportAddress() + " for help.";
    if (lines.empty()) {
        ui.Tell(MessageIcon::Error, fileName + tail);
        return true;
    }
    if (lines.front().find('<') != std::string::npos) {
        ui.Tell(MessageIcon::Error, "\"" + fileName + "\"" + tail);
        return true;
    }
    SaveLineFile(JoinPath(dataDir, fileName), lines);
    Write(settings::MissingFile(fileName), false);
    if (fileName == "sedata.dat")
        ui.EnginesChanged();
    return true;
}

} // namespace

std::string UpdateFileName(int number) {
    char name[32];
    std::snprintf(name, sizeof name, "%06d.upd", number);
    return name;
}

UpdatePolicy ReadUpdatePolicy() {
    if (Read(settings::UpdateSkip))
        return UpdatePolicy::SkipKnown;
    if (Read(settings::UpdateAutomatically))
        return UpdatePolicy::Automate;
    return UpdatePolicy::Ask;
}

void FinishUpdate(const LineList& updateLines, const std::string& dataDir, UpdatePolicy policy,
                  UpdateUi& ui) {
    if (updateLines.size() < 2) {
        ui.Tell(MessageIcon::Error, std::string(kCorruptedUpdate));
        return;
    }
    if (updateLines.front().find('<') != std::string::npos) {
        ui.BoldStatus(std::string(kNoNewUpdates));
        return;
    }
    if (updateLines.front() != kUpdateMarker || updateLines.back() != kUpdateMarker) {
        ui.Tell(MessageIcon::Error, std::string(kCorruptedUpdate));
        return;
    }
    ui.Status("Processing updated information.");
    const LineList work(updateLines.begin() + 1, updateLines.end() - 1);
    if (work.empty())
        return;

    const std::string seFile = JoinPath(dataDir, "sedata.dat");
    LineList seData;
    LoadLineFile(seFile, seData);
    LineList taken;
    bool pairing = false;
    for (const std::string& line : work) {
        if (!IsEngineMarker(line))
            continue;
        if (pairing) {
            pairing = false;
            continue;
        }
        pairing = true;
        if (LeaveOut(line, seData, policy, ui))
            continue;
        const size_t start = FindLine(work, line);
        const size_t end = FindLine(work, line, start + 1);
        taken.insert(taken.end(), work.begin() + static_cast<long>(start),
                     end == kNoLine ? work.end() : work.begin() + static_cast<long>(end) + 1);
    }
    seData.insert(seData.end(), taken.begin(), taken.end());
    SaveLineFile(seFile, seData);
    Write(settings::UpdateFileNumber, Read(settings::UpdateFileNumber) + 1);
    ui.Status("");
    ui.EnginesChanged();
}

void RunDataUpdate(THttpCli& client, const std::string& dataDir, UpdateUi& ui) {
    std::vector<std::string> failures;
    if (!CheckNewVersion(client, true, ui))
        failures.push_back(DownloadFailure(client));
    const std::string base = Read(settings::UpdateUrl);

    for (const char* fileName : {"sedata.dat", "profs.dat"}) {
        if (!Read(settings::MissingFile(fileName)))
            continue;
        ui.Status("Downloading data files...");
        LineList lines;
        const bool ok = DownloadLines(client, base + fileName, lines);
        if (!ProcessUpdateFiles(ok, lines, fileName, dataDir, ui)) {
            failures.push_back(DownloadFailure(client));
            break;
        }
    }

    ui.Status("");
    const int number = Read(settings::UpdateFileNumber);
    ui.Status("Downloading search engine data...");
    LineList updateLines;
    const bool ok = DownloadLines(client, base + UpdateFileName(number), updateLines);
    ui.Status("");
    if (ok)
        FinishUpdate(updateLines, dataDir, ReadUpdatePolicy(), ui);
    else if (client.ServerRefused() && client.StatusCode() == 404)
        ui.BoldStatus(std::string(kNoNewUpdates)); // the next file is not published yet
    else
        failures.push_back(DownloadFailure(client));

    if (failures.empty())
        return;
    std::string text = "Siteherald was unable to download certain files.\r\n"
                       "Please check your connection or try again later.";
    for (const std::string& failure : failures)
        text += "\r\n" + failure;
    ui.Tell(MessageIcon::Error, text);
}

} // namespace siteherald
