// siteherald-cli indexnow: submits a site's new and changed pages to an IndexNow endpoint.
#include "cli_common.h"
#include "core/data_dir.h"
#include "core/line_file.h"
#include "index/indexnow_files.h"
#include "index/indexnow_run.h"

#include <cstdio>

namespace siteherald::cli {

namespace {

// "--name VALUE" or "--name=VALUE" at args[i]; false when args[i] is another argument.
bool OptionValue(const Arguments& args, size_t& i, const std::string& name, std::string& value,
                 std::string& problem) {
    if (args[i] == name) {
        if (i + 1 == args.size()) {
            problem = name + " needs a value";
            return true;
        }
        value = args[++i];
        return true;
    }
    if (args[i].rfind(name + "=", 0) == 0) {
        value = args[i].substr(name.size() + 1);
        return true;
    }
    return false;
}

bool ParseIndexNowArguments(const Arguments& args, IndexNowRequest& request, std::string& problem) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size() && problem.empty(); ++i) {
        std::string sitemap;
        if (OptionValue(args, i, "--sitemap", sitemap, problem)) {
            request.sources.sitemaps.push_back(sitemap);
        } else if (OptionValue(args, i, "--urls", request.sources.urlsFile, problem) ||
                   OptionValue(args, i, "--key", request.key, problem) ||
                   OptionValue(args, i, "--key-location", request.keyLocation, problem) ||
                   OptionValue(args, i, "--endpoint", request.endpoint, problem)) {
        } else if (args[i] == "--all") {
            request.all = true;
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            problem = "unknown option \"" + args[i] + "\"";
        } else {
            positional.push_back(args[i]);
        }
    }
    if (problem.empty() && positional.size() != 1)
        problem = "indexnow takes one site address";
    else if (problem.empty() && !request.key.empty() && !ValidIndexNowKey(request.key))
        problem = "--key: an IndexNow key is 8 to 128 letters, digits or '-'";
    if (!problem.empty())
        return false;
    request.sources.site = positional[0];
    return true;
}

} // namespace

int RunIndexNowCommand(const Arguments& args) {
    IndexNowRequest request;
    std::string problem;
    if (!ParseIndexNowArguments(args, request, problem))
        return UsageError(problem);
    try {
        request.dataDir = ResolveDataDir();
    } catch (const FileError& e) {
        return FileProblem(e.what());
    }
    IndexNowHooks hooks;
    hooks.request = [](const std::string& line) {
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    };
    const IndexNowReport report = siteherald::RunIndexNow(request, hooks);
    std::printf("Submitted: %zu, unchanged: %zu, other hosts: %zu\n", report.submitted,
                report.unchanged, report.otherHosts);
    if (report.outcome != IndexNowOutcome::Done)
        std::fprintf(stderr, "siteherald-cli: %s\n", report.message.c_str());
    switch (report.outcome) {
    case IndexNowOutcome::Done:
        return kExitDone;
    case IndexNowOutcome::SitemapFailed:
        return kExitPageNotAvailable;
    case IndexNowOutcome::LocalFileFailed:
        return kExitFileError;
    case IndexNowOutcome::KeyNotServed:
        return kExitKeyNotServed;
    case IndexNowOutcome::EndpointRefused:
    case IndexNowOutcome::Stopped:
        break;
    }
    return kExitEndpointRefused;
}

} // namespace siteherald::cli
