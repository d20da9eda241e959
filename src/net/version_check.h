#pragma once

#include "core/line_file.h"
#include "http_client.h"
#include "update_ui.h"

namespace siteherald {

inline constexpr std::string_view kMandatoryUpgradeMarker = "5H2W8N1P6G3T9R";

// Downloads the version file (setting Main/VersionUpdate) and announces a newer version
// once. With showStatus the status bar says what is going on. Failures are silent: false
// when the file could not be fetched, the client's ReasonPhrase says why.
bool CheckNewVersion(THttpCli& client, bool showStatus, UpdateUi& ui);

// Reads a downloaded version file: line 1 the newest version number, line 2 an address,
// an optional line 3 "$Must Change$" for a mandatory upgrade.
void ProcessUpdate(const LineList& updateLines, UpdateUi& ui);

// At start-up: when a mandatory upgrade was announced, tells the user, opens the upgrade's
// address and asks the program to end. Returns true in that case.
bool MandatoryUpgradePending(UpdateUi& ui);

} // namespace siteherald
