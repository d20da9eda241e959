// siteherald-cli scan: lists the text boxes and text areas of an engine's page, as the
// search-engine editor's "Get Fields" does.
#include "cli_common.h"
#include "core/line_file.h"
#include "net/http_client.h"
#include "net/http_exception.h"
#include "submit/form_scanner.h"

#include <cstdio>

namespace siteherald::cli {

int RunScan(const Arguments& args) {
    std::string page;
    if (args.size() == 2 && (args[0] == "--page")) {
        try {
            if (!ReadFileBytes(args[1], page)) {
                std::fprintf(stderr, "siteherald-cli: Unable to read %s: No such file\n",
                             args[1].c_str());
                return kExitFileError;
            }
        } catch (const FileError& e) {
            std::fprintf(stderr, "siteherald-cli: %s\n", e.what());
            return kExitFileError;
        }
    } else if (args.size() == 1 && !(args[0].size() > 1 && args[0][0] == '-')) {
        THttpCli client;
        MemoryStream body;
        client.Url = args[0];
        client.ReceiveStream = &body;
        try {
            client.Get();
        } catch (const EHttpException& e) {
            std::fprintf(stderr, "siteherald-cli: %s: %s\n", args[0].c_str(), e.what());
            std::fprintf(stderr, "Unable to retrieve \"%s\".\n", args[0].c_str());
            return kExitPageNotAvailable;
        }
        page = std::move(body.data());
    } else {
        return UsageError("scan takes an address, or --page and a file");
    }
    for (const ScannedField& field : ScanPage(page))
        std::printf("%s\n", ScannedFieldItem(field).c_str());
    return kExitDone;
}

} // namespace siteherald::cli
