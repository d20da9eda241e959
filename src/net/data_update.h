#pragma once

#include "core/line_file.h"
#include "http_client.h"
#include "update_ui.h"

#include <string>

namespace siteherald {

// The name of update file number n: six digits padded with "0", then ".upd".
std::string UpdateFileName(int number);

// How known engines of an update file are treated (settings Updates/Automate and Skip).
enum class UpdatePolicy {
    Ask,       // ask before replacing each known engine
    Automate,  // replace known engines without asking
    SkipKnown, // keep known engines as they are; take new ones
};
UpdatePolicy ReadUpdatePolicy();

// The whole data update: version check, whole files marked missing, then the next numbered
// update file merged into dataDir/sedata.dat. Every download that failed is told in one
// error box at the end, except the next update file answering 404: that only means
// nothing new is published yet.
void RunDataUpdate(THttpCli& client, const std::string& dataDir, UpdateUi& ui);

// Merges a downloaded update file into dataDir/sedata.dat under the policy and advances
// Updates/Filenumber. The merged file is built in memory and saved once.
void FinishUpdate(const LineList& updateLines, const std::string& dataDir, UpdatePolicy policy,
                  UpdateUi& ui);

} // namespace siteherald
