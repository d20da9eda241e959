// siteherald-cli: the command-line companion, for scripting a site's promotion.
#include "cli_common.h"

#include <cstdio>
#include <cstring>

namespace siteherald::cli {

const char* const kUsage =
    "Usage: siteherald-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Commands:\n"
    "  fill ENGINE SDF-FILE --page PAGE-FILE\n"
    "      Fill the submission page of ENGINE (a name in sedata.dat) with the values of the\n"
    "      submission data file SDF-FILE, taking the engine's page from PAGE-FILE. Writes\n"
    "      ~mainauto.htm, ~adauto.htm and ~auto.htm into the data directory and prints the\n"
    "      path of ~auto.htm, the page to open in a browser.\n"
    "\n"
    "The data directory is $SITEHERALD_DATA_DIR when set, else ~/Siteherald.\n"
    "\n"
    "Exit status: 0 done, 2 wrong usage, 3 engine not found, 4 page not available,\n"
    "5 a file that cannot be read or written.\n";

int UsageError(const std::string& problem) {
    if (!problem.empty())
        std::fprintf(stderr, "siteherald-cli: %s\n\n", problem.c_str());
    std::fputs(kUsage, stderr);
    return kExitUsage;
}

} // namespace siteherald::cli

int main(int argc, char** argv) {
    using namespace siteherald::cli;
    if (argc < 2)
        return UsageError("");
    const std::string command = argv[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return kExitDone;
    }
    const Arguments args(argv + 2, argv + argc);
    if (command == "fill")
        return RunFill(args);
    return UsageError("unknown command \"" + command + "\"");
}
