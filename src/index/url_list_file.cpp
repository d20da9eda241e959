#include "url_list_file.h"

#include "core/ascii.h"
#include "core/line_file.h"
#include "site_urls.h"
#include "sitemap_parser.h"

namespace siteherald {

std::vector<std::string> ReadUrlListFile(const std::string& path) {
    std::string bytes;
    try {
        if (!ReadFileBytes(path, bytes))
            throw SiteUrlsError(SiteUrlsError::Kind::LocalFile,
                                "The address list " + path + " does not exist.");
    } catch (const FileError& e) {
        throw SiteUrlsError(SiteUrlsError::Kind::LocalFile, e.what());
    }
    std::string_view text(bytes);
    if (text.substr(0, 3) == "\xEF\xBB\xBF")
        text.remove_prefix(3);
    std::vector<std::string> urls;
    for (std::string_view line : SplitLineViews(text)) {
        line = TrimmedAscii(line, " \t");
        if (line.empty() || line.front() == '#')
            continue;
        if (urls.size() == kMaxSitemapUrls)
            throw SiteUrlsError(SiteUrlsError::Kind::LocalFile,
                                "The address list " + path +
                                    " holds more than 50,000 addresses, the sitemaps limit; "
                                    "split it into several files.");
        urls.emplace_back(line);
    }
    return urls;
}

} // namespace siteherald
