#pragma once

#include "core/line_file.h"
#include "http_client.h"

#include <string>

namespace siteherald {

// Fetches an address with the client into lines, split as a downloaded page is. False when
// the client failed (the reason is left in the client's ReasonPhrase).
bool DownloadLines(THttpCli& client, const std::string& url, LineList& lines);

} // namespace siteherald
