#include "mailing_lists.h"

#include <algorithm>

namespace siteherald {

namespace {

// The opening and closing line of a list's block; a block without its closing line runs to
// the end of the store (close == the store's size).
std::optional<std::pair<size_t, size_t>> ListBlock(const LineList& store, const std::string& name) {
    const std::string marker = "$" + name;
    const size_t open = FindLine(store, marker);
    if (open == kNoLine)
        return std::nullopt;
    const size_t close = FindLine(store, marker, open + 1);
    return std::pair{open, close == kNoLine ? store.size() : close};
}

} // namespace

std::optional<LineList> MailingListAddresses(const LineList& store, const std::string& name) {
    const auto block = ListBlock(store, name);
    if (!block)
        return std::nullopt;
    return LineList(store.begin() + static_cast<long>(block->first) + 1,
                    store.begin() + static_cast<long>(block->second));
}

bool RemoveMailingList(LineList& store, const std::string& name) {
    const auto block = ListBlock(store, name);
    if (!block)
        return false;
    store.erase(store.begin() + static_cast<long>(block->first),
                store.begin() + static_cast<long>(std::min(block->second + 1, store.size())));
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
