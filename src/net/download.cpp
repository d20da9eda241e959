#include "download.h"

#include "http_exception.h"

namespace siteherald {

bool DownloadLines(THttpCli& client, const std::string& url, LineList& lines) {
    MemoryStream body;
    client.Url = url;
    client.ReceiveStream = &body;
    lines.clear();
    try {
        client.Get();
    } catch (const EHttpException&) {
        client.ReceiveStream = nullptr;
        return false;
    }
    client.ReceiveStream = nullptr;
    lines = SplitLines(body.data(), true);
    return true;
}

} // namespace siteherald
