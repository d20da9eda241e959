#include "fill_pipeline.h"

#include "core/data_dir.h"
#include "core/engine_records.h"
#include "core/file_url.h"
#include "frame_page.h"
#include "net/download.h"
#include "page_builder.h"

namespace siteherald {

LineList FetchBanner(THttpCli& client, const std::string& adAddress, const std::string& engine,
                     LineList previous) {
    LineList ad;
    if (!adAddress.empty() && DownloadLines(client, adAddress, ad))
        return ad;
    if (!adAddress.empty() && !previous.empty())
        return previous;
    return MakeAdBanner(engine);
}

bool FetchSubmissionPage(THttpCli& client, const LineList& seRecordList, LineList& pageLines) {
    return DownloadLines(client, ParseSEData(seRecordList).submission, pageLines);
}

std::string BuildSubmissionPages(const std::string& dataDir, const LineList& seRecordList,
                                 const LineList& currentFileLines, LineList& pageLines,
                                 const LineList& adPageLines) {
    const std::string mainPage = JoinPath(dataDir, std::string(kMainPageName));
    EditHTML(pageLines, seRecordList, currentFileLines, FileUrl(mainPage));
    SaveLineFile(JoinPath(dataDir, std::string(kAdPageName)), adPageLines);
    return SaveSubmissionPages(dataDir, pageLines, adPageLines);
}

} // namespace siteherald
