// siteherald-cli get: fetches an address with Siteherald's own HTTP client.
#include "cli_common.h"
#include "fd_stream.h"
#include "net/http_client.h"
#include "net/http_exception.h"

#include <csignal>
#include <cstdio>

namespace siteherald::cli {

int RunGet(const Arguments& args) {
    if (args.size() != 1 || (args[0].size() > 1 && args[0][0] == '-'))
        return UsageError("get takes one address");
    std::signal(SIGPIPE, SIG_IGN);
    FdStream out(STDOUT_FILENO);
    THttpCli client;
    client.Url = args[0];
    client.ReceiveStream = &out;
    // The body goes straight to standard output, so neither the page-size limit nor the
    // overall deadline applies; the idle time-out still ends a silent server.
    client.MaxBodyBytes = 0;
    client.Timeouts.total = std::chrono::milliseconds(0);
    try {
        client.Get();
    } catch (const EHttpException& e) {
        std::fprintf(stderr, "siteherald-cli: %s: %s\n", args[0].c_str(), e.what());
        return kExitPageNotAvailable;
    }
    return kExitDone;
}

} // namespace siteherald::cli
