#include "mailing_lists.h"

#include <algorithm>

namespace siteherald {

std::optional<LineList> MailingListAddresses(const LineList& store, const std::string& name) {
    const std::string marker = "$" + name;
    const size_t open = FindLine(store, marker);
    if (open == kNoLine)
        return std::nullopt;
    size_t close = FindLine(store, marker, open + 1);
    if (close == kNoLine)
        close = store.size();
    return LineList(store.begin() + static_cast<long>(open) + 1,
                    store.begin() + static_cast<long>(close));
}

bool RemoveMailingList(LineList& store, const std::string& name) {
    const std::string marker = "$" + name;
    const size_t open = FindLine(store, marker);
    if (open == kNoLine)
        return false;
    const size_t close = FindLine(store, marker, open + 1);
    store.erase(store.begin() + static_cast<long>(open),
                close == kNoLine ? store.end() : store.begin() + static_cast<long>(close) + 1);
    return true;
}

void AppendMailingList(LineList& store, const std::string& name, const LineList& addresses) {
    store.push_back("$" + name);
    store.insert(store.end(), addresses.begin(), addresses.end());
    store.push_back("$" + name);
}

std::vector<std::string> SendList(const LineList& store, size_t limit) {
    std::vector<std::string> addresses;
    const size_t n = std::min(limit, store.size());
    for (size_t i = 0; i < n; ++i)
        if (store[i].empty() || store[i].front() != '$')
            addresses.push_back(store[i]);
    return addresses;
}

} // namespace siteherald
