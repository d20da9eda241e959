#pragma once

#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace siteherald {

// The machine's official host name (HELO and Message-ID); "127.0.0.1" when the machine has no
// name. Throws ETcpIpError when the name cannot be looked up.
std::string LocalHostName();

// The n-th address (1-based) of a recipient text such as
// "\"Robin\" <robin@example.org>, kim@example.org": the word around the n-th "@", without
// surrounding quotes, parentheses and angle brackets. Nothing when there is no n-th "@".
std::optional<std::string> NthAddress(const std::string& text, int n);

// "Sat, 5 Dec 1998 14:03:07 +0100" in local time; English names whatever the locale, "GMT"
// for a zone at UTC.
std::string MessageDate(std::time_t when);

// "<seconds@host>" made unique within the process and across processes started in the same
// second: "<seconds.pid.count@host>", where seconds counts from 1970 in local time.
std::string MakeMessageId(std::time_t when, const std::string& host);

// A header value on one line: CR and LF removed.
std::string HeaderValue(const std::string& value);

// The lines to send between DATA/POST and the final ".": items holding line breaks are split
// into lines, and every line that begins with "." gets another "." in front, so no line of
// the text can end the message early.
std::vector<std::string> TransparentLines(const std::vector<std::string>& items);

} // namespace siteherald
