#pragma once

#include "core/line_file.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace siteherald {

// Splits a downloaded body into lines (CR LF, lone CR, lone LF; a NUL cuts its line).
void LoadStringListFromMemoryStream(LineList& list, std::string_view stream);

// Position (from 1) of the first "<input" or "<textarea" in the line, any case; 0 if none.
size_t FieldPos(std::string_view line);

// "text" when the line's input is a text box, else empty. Case-sensitive, on the line as is.
std::string FieldType(std::string_view line);

// Kind of the first form tag of line i: "input", "textarea" or empty. A tag spread over
// several lines is first joined into line i, and the lines it took are removed.
std::string YesTag(LineList& pageLines, size_t i);

// Fills every text box and text area of pageLines that the engine's record maps to an
// auto-fill identifier with its value from currentFileLines (HTML-escaped), makes the links
// absolute and puts a <base href> after the page's <head> tag. seRecordList is the record
// without markers: engine line, then field lines. pageAddress, when given, is where the
// filled page will be opened from: in-page "#" links point there, since the <base href>
// would otherwise send them to the engine's site.
void EditHTML(LineList& pageLines, const LineList& seRecordList, const LineList& currentFileLines,
              std::string_view pageAddress = {});

// Text escaped for an HTML attribute value or element content.
std::string EscapeHtml(std::string_view text);

} // namespace siteherald
