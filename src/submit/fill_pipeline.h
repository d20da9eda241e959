#pragma once

#include "core/line_file.h"
#include "net/http_client.h"

#include <string>

namespace siteherald {

// The steps of a fill, shared by GO and `siteherald-cli fill`: the banner, the engine's page,
// and the filled page with the frame page around it in the data folder. The caller looks the
// record up (GetSEData, HasSubmissionAddress) and reports failures in its own way.

// The banner above the filled page: the page at `adAddress` ([Main] AdPage) when one is set
// and it downloads, else `previous` when it holds lines, else one made for the engine.
LineList FetchBanner(THttpCli& client, const std::string& adAddress, const std::string& engine,
                     LineList previous = {});

// Downloads the engine's submission page (field 2 of the record's engine line) into lines.
// False when it could not be had: client.FailureReason() says why.
bool FetchSubmissionPage(THttpCli& client, const LineList& seRecordList, LineList& pageLines);

// Fills the page with the submission data file's values and writes the three pages into
// dataDir: the banner, the filled page and the frame page. Returns the frame page's path.
// Throws FileError.
std::string BuildSubmissionPages(const std::string& dataDir, const LineList& seRecordList,
                                 const LineList& currentFileLines, LineList& pageLines,
                                 const LineList& adPageLines);

} // namespace siteherald
