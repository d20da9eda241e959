#pragma once

#include <QString>
#include <string>
#include <vector>

namespace siteherald::ui {

// Files are bytes in the lower layers. Text is UTF-8; a text that is not valid UTF-8 comes
// from the older Windows program and is read as Windows-1252.
QString FromBytes(const std::string& bytes);
std::string ToBytes(const QString& text);

// Lines of a file as the text of a memo (each line decoded on its own), and a memo's text as
// lines (none for an empty text).
QString JoinedText(const std::vector<std::string>& lines);
std::vector<std::string> TextLines(const QString& text);

} // namespace siteherald::ui
