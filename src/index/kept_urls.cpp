#include "kept_urls.h"

#include <functional>

namespace siteherald {

bool KeptUrls::Add(SitemapUrl url) {
    if ((urls_.size() + 1) * 2 > slots_.size())
        Grow();
    const uint64_t hash = std::hash<std::string>()(url.loc);
    const size_t mask = slots_.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
        Slot& slot = slots_[i];
        if (slot.position == kEmpty) {
            slot = {hash, static_cast<uint32_t>(urls_.size())};
            urls_.push_back(std::move(url));
            return true;
        }
        if (slot.hash == hash && urls_[slot.position].loc == url.loc)
            return false;
    }
}

void KeptUrls::Grow() {
    std::vector<Slot> slots(slots_.empty() ? 1024 : slots_.size() * 2);
    const size_t mask = slots.size() - 1;
    for (const Slot& slot : slots_) {
        if (slot.position == kEmpty)
            continue;
        size_t i = slot.hash & mask;
        while (slots[i].position != kEmpty)
            i = (i + 1) & mask;
        slots[i] = slot;
    }
    slots_.swap(slots);
}

std::vector<SitemapUrl> KeptUrls::Take() {
    slots_.clear();
    return std::move(urls_);
}

} // namespace siteherald
