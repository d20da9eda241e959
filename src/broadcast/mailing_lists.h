#pragma once

#include "core/line_file.h"

#include <optional>
#include <string>
#include <vector>

namespace siteherald {

// The mailing-list store: each list is "$" + name, its addresses one per line (as typed),
// "$" + name; blocks in the order they were added or last edited.

// The addresses of the list `name`; nothing when its opening line is missing.
std::optional<LineList> MailingListAddresses(const LineList& store, const std::string& name);

// Removes the list's block; false when there is none.
bool RemoveMailingList(LineList& store, const std::string& name);

void AppendMailingList(LineList& store, const std::string& name, const LineList& addresses);

// The addresses a run sends to: the lines among the first `limit` lines of the store that do
// not begin with "$". Marker lines count towards the limit.
std::vector<std::string> SendList(const LineList& store, size_t limit = 25);

inline constexpr size_t kMailingListLineLimit = 25;
inline constexpr size_t kNewsgroupLimit = 10;

} // namespace siteherald
