// siteherald-cli fill: builds an engine's filled submission page, as GO does.
#include "cli_common.h"
#include "core/data_dir.h"
#include "core/engine_records.h"
#include "core/line_file.h"
#include "core/missing_file.h"
#include "core/settings_keys.h"
#include "submit/fill_pipeline.h"
#include "submit/page_builder.h"

#include <cstdio>

namespace siteherald::cli {

namespace {

struct FillOptions {
    std::string engine;
    std::string sdfFile;
    std::string pageFile;
};

bool ParseFillArguments(const Arguments& args, FillOptions& options, std::string& problem) {
    std::vector<std::string> positional;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--page") {
            if (i + 1 == args.size()) {
                problem = "--page needs a file name";
                return false;
            }
            options.pageFile = args[++i];
        } else if (args[i].rfind("--page=", 0) == 0) {
            options.pageFile = args[i].substr(7);
        } else if (args[i].size() > 1 && args[i][0] == '-') {
            problem = "unknown option \"" + args[i] + "\"";
            return false;
        } else {
            positional.push_back(args[i]);
        }
    }
    if (positional.size() != 2) {
        problem = "fill takes an engine name and a submission data file";
        return false;
    }
    options.engine = positional[0];
    options.sdfFile = positional[1];
    return true;
}

} // namespace

int RunFill(const Arguments& args) {
    FillOptions options;
    std::string problem;
    if (!ParseFillArguments(args, options, problem))
        return UsageError(problem);
    try {
        const std::string dataDir = ResolveDataDir();
        const std::string seFile = JoinPath(dataDir, "sedata.dat");

        LineList seRecordList;
        switch (GetSEData(seFile, options.engine, seRecordList)) {
        case RecordLookup::FileMissing:
            try {
                MarkMissingFile("sedata.dat");
            } catch (const SettingsWriteError& e) {
                std::fprintf(stderr, "siteherald-cli: %s\n", e.what());
            }
            std::fprintf(stderr, "siteherald-cli: %s\n", std::string(kMissingFilesMessage).c_str());
            return FileProblem("Unable to read " + seFile + ": missing or empty");
        case RecordLookup::NotFound:
            std::fprintf(stderr, "siteherald-cli: no search engine named \"%s\" in %s\n",
                         options.engine.c_str(), seFile.c_str());
            return kExitEngineNotFound;
        case RecordLookup::Found:
            break;
        }
        if (!HasSubmissionAddress(seRecordList)) {
            std::fprintf(stderr, "siteherald-cli: %s\n",
                         DamagedRecordMessage(options.engine).c_str());
            return kExitEngineNotFound;
        }

        LineList currentFileLines;
        if (!LoadLineFile(options.sdfFile, currentFileLines))
            return FileProblem("Unable to read " + options.sdfFile + ": No such file");

        LineList pageLines;
        THttpCli client;
        if (options.pageFile.empty()) {
            if (!FetchSubmissionPage(client, seRecordList, pageLines)) {
                const std::string address = ParseSEData(seRecordList).submission;
                std::fprintf(stderr, "siteherald-cli: %s: %s\n", address.c_str(),
                             client.FailureReason().c_str());
                std::fprintf(stderr, "Unable to retrieve \"%s\".\n", address.c_str());
                return kExitPageNotAvailable;
            }
        } else {
            std::string page;
            if (!ReadFileBytes(options.pageFile, page))
                return FileProblem("Unable to read " + options.pageFile + ": No such file");
            LoadStringListFromMemoryStream(pageLines, page);
        }

        const LineList adPageLines = FetchBanner(client, Read(settings::AdPage), options.engine);
        const std::string framePath =
            BuildSubmissionPages(dataDir, seRecordList, currentFileLines, pageLines, adPageLines);
        std::printf("%s\n", framePath.c_str());
        return kExitDone;
    } catch (const FileError& e) {
        return FileProblem(e.what());
    }
}

} // namespace siteherald::cli
