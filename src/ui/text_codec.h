#pragma once

#include <QString>
#include <string>

namespace siteherald::ui {

// Files are bytes in the lower layers. Text is UTF-8; a text that is not valid UTF-8 comes
// from the older Windows program and is read as Windows-1252.
QString FromBytes(const std::string& bytes);
std::string ToBytes(const QString& text);

} // namespace siteherald::ui
