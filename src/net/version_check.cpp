#include "version_check.h"

#include "core/product_defaults.h"
#include "core/settings_keys.h"
#include "download.h"

namespace siteherald {

bool CheckNewVersion(THttpCli& client, bool showStatus, UpdateUi& ui) {
    const std::string url = Read(settings::VersionUpdate);
    if (showStatus)
        ui.Status("Checking for newer version...");
    LineList lines;
    const bool downloaded = DownloadLines(client, url, lines);
    if (showStatus)
        ui.Status("");
    if (downloaded)
        ProcessUpdate(lines, ui);
    return downloaded;
}

void ProcessUpdate(const LineList& updateLines, UpdateUi& ui) {
    ui.Status("");
    if (updateLines.empty())
        return;
    const int none = -1;
    const int newest = ParseSettingsInteger(updateLines[0], none);
    if (newest == none)
        return; // not a version file: no news
    try {
        if (newest <= Read(settings::VersionNumber))
            return;
        if (updateLines.size() < 2)
            return; // no address to offer: not a version file
        const std::string& address = updateLines[1];
        if (updateLines.size() >= 3) {
            if (updateLines[2] == "$Must Change$") {
                Write(settings::MandatoryUpgrade, std::string(kMandatoryUpgradeMarker));
                if (ui.AskYesNo(MessageIcon::Information,
                                "You must upgrade to a newer version of Siteherald. This version "
                                "will cease to function properly due to the mandatory upgrade. "
                                "Would you like to download the upgrade now?")) {
                    Write(settings::UpgradeAddress, address);
                    ui.OpenAddress(address);
                }
                ui.RequestQuit();
            }
        } else if (ui.AskYesNo(MessageIcon::Information,
                               "A newer version is available for download. View information?")) {
            ui.OpenAddress(address);
        }
        Write(settings::VersionNumber, newest);
    } catch (const SettingsWriteError&) {
        // The check is silent: a settings file that cannot be written only means the news
        // is told again next time.
    }
}

bool MandatoryUpgradePending(UpdateUi& ui) {
    if (Read(settings::MandatoryUpgrade) != kMandatoryUpgradeMarker)
        return false;
    ui.Tell(MessageIcon::Information,
            "You must download an upgrade to the version of Siteherald that you are using. "
            "Siteherald will not function properly until this has been done.");
    ui.OpenAddress(Read(settings::UpgradeAddress));
    ui.RequestQuit();
    return true;
}

} // namespace siteherald
