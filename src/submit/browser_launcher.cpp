#include "browser_launcher.h"

#include "core/ascii.h"
#include "core/settings_keys.h"
#include "process.h"

#include <sys/stat.h>
#include <unistd.h>

namespace siteherald {

std::string ExtractBetween(const std::string& text, const std::optional<std::string>& startMark,
                           const std::optional<std::string>& endMark) {
    size_t start = 1; // positions from 1, as the marks' positions were kept
    size_t markLength = 0;
    if (startMark) {
        const size_t found = text.find(*startMark);
        start = found == std::string::npos ? 0 : found + 1;
        markLength = startMark->size();
    }
    start %= 256;
    if (start == 0)
        return {};
    const size_t from = start - 1 + markLength;
    const std::string taken = from < text.size() ? text.substr(from, 255) : std::string();
    if (!endMark)
        return taken.substr(0, 254);
    const size_t end = taken.find(*endMark);
    if (end == std::string::npos || (end + 1) % 256 == 0)
        return {};
    return taken.substr(0, end);
}

std::string NormalizeURL(const std::string& address) {
    std::string scheme = ExtractBetween(address, std::nullopt, std::string(":"));
    if (!scheme.empty())
        scheme += ":";
    std::string host = ExtractBetween(address, std::string("//"), std::string("/"));
    if (host.empty())
        host = ExtractBetween(address, std::string("//"), std::nullopt);
    if (!host.empty())
        host = "//" + host + "/";
    if (address.find("///") != std::string::npos)
        host = "///";
    std::string path = address;
    if (!scheme.empty() || !host.empty())
        path = address.size() > scheme.size() + host.size()
                   ? address.substr(scheme.size() + host.size())
                   : std::string();
    if (scheme.empty())
        scheme = "http:";
    if (host.empty())
        host = "///";
    return LowerAscii(scheme) + host + path;
}

std::string DefaultBrowserPath() {
    // A default naming no browser with a path reads as "ERROR", which is no program.
    settings::Text path = settings::BrowserPath(Read(settings::DefaultBrowser));
    path.defaultValue = "ERROR";
    return Read(path);
}

bool WwwDde::OpenURL(const std::string& address, Prompter& ui) {
    if (ServiceApplication.empty())
        return false;
    const std::string url = NormalizeURL(address);
    if (url.empty() || url[0] == '-') {
        // Never something the browser would take for one of its options.
        ui.Tell(MessageIcon::Error, "\"" + address + "\" is not a web address.");
        return false;
    }
    std::string error;
    struct stat st {};
    const bool runnable = ::stat(ServiceApplication.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
                          ::access(ServiceApplication.c_str(), X_OK) == 0;
    if (!runnable || !StartDetached({ServiceApplication, url}, error)) {
        ui.Tell(MessageIcon::Error, ServiceApplication +
                                        " could not be found.  Please check the browser "
                                        "configuration under Options.");
        return false;
    }
    return true;
}

} // namespace siteherald
