#pragma once

#include <string>

namespace siteherald {

// Opens an address or file with the desktop's default handler (xdg-open), without a shell.
bool OpenWithDesktop(const std::string& address, std::string& error);

} // namespace siteherald
