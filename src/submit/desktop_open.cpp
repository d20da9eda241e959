#include "desktop_open.h"

#include "process.h"

namespace siteherald {

bool OpenWithDesktop(const std::string& address, std::string& error) {
    return StartDetached({"xdg-open", address}, error);
}

} // namespace siteherald
