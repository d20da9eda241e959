#pragma once

#include "core/line_file.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace siteherald {

// Splits a downloaded body into lines (CR LF, lone CR, lone LF; a NUL cuts its line).
void LoadStringListFromMemoryStream(LineList& list, std::string_view stream);

// Fills every text box and text area of pageLines that the engine's record maps to an
// auto-fill identifier with its value from currentFileLines (HTML-escaped): a field is
// mapped when a record name begins its name attribute, any case, and the first such record
// line gives the identifier. A field tag over several lines is joined into one. Makes the links
// absolute and puts a <base href> after the page's <head> tag. seRecordList is the record
// without markers: engine line, then field lines. pageAddress, when given, is where the
// filled page will be opened from: in-page "#" links point there, since the <base href>
// would otherwise send them to the engine's site.
void EditHTML(LineList& pageLines, const LineList& seRecordList, const LineList& currentFileLines,
              std::string_view pageAddress = {});

// Text escaped for an HTML attribute value or element content.
std::string EscapeHtml(std::string_view text);

} // namespace siteherald
