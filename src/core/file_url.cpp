#include "file_url.h"

namespace siteherald {

std::string FileUrl(std::string_view absolutePath) {
    static const char* hex = "0123456789ABCDEF";
    std::string url = "file://";
    for (const char c : absolutePath) {
        const unsigned char u = static_cast<unsigned char>(c);
        const bool plain = (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') ||
                           (u >= '0' && u <= '9') || c == '/' || c == '-' || c == '.' || c == '_' ||
                           c == '~';
        if (plain) {
            url += c;
        } else {
            url += '%';
            url += hex[u >> 4];
            url += hex[u & 15];
        }
    }
    return url;
}

} // namespace siteherald
