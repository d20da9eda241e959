// siteherald-cli update: the data update, as the File menu's Update runs it.
#include "cli_common.h"
#include "core/data_dir.h"
#include "core/line_file.h"
#include "core/settings_store.h"
#include "net/data_update.h"
#include "terminal_prompter.h"

#include <cstdio>

namespace siteherald::cli {

int RunUpdate(const Arguments& args) {
    std::optional<bool> answer;
    for (const std::string& arg : args) {
        if (arg == "--yes" && answer != false)
            answer = true;
        else if (arg == "--no" && answer != true)
            answer = false;
        else
            return UsageError("update takes --yes or --no (or nothing, to be asked)");
    }
    TerminalUpdateUi ui(answer);
    try {
        const std::string dataDir = ResolveDataDir();
        THttpCli client;
        RunDataUpdate(client, dataDir, ui);
    } catch (const FileError& e) {
        std::fprintf(stderr, "siteherald-cli: %s\n", e.what());
        return kExitFileError;
    } catch (const SettingsWriteError& e) {
        std::fprintf(stderr, "siteherald-cli: %s\n", e.what());
        return kExitFileError;
    }
    return ui.errorShown ? kExitPageNotAvailable : kExitDone;
}

} // namespace siteherald::cli
