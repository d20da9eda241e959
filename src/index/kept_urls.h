#pragma once

#include "site_urls.h"

#include <cstdint>
#include <string>
#include <vector>

namespace siteherald {

// Addresses in the order first read, each once (the first one read wins). Each address is
// stored once, in the list; an open-addressing table of positions finds it again (a
// node-based set spends most of a large index's reading in cache misses).
class KeptUrls {
public:
    // False when the address was read before.
    bool Add(SitemapUrl url);
    size_t size() const { return urls_.size(); }
    std::vector<SitemapUrl> Take();

private:
    struct Slot {
        uint64_t hash = 0;
        uint32_t position = kEmpty; // in urls_
    };
    static constexpr uint32_t kEmpty = UINT32_MAX;
    void Grow();

    std::vector<SitemapUrl> urls_;
    std::vector<Slot> slots_; // a power of two in size, at most half full
};

} // namespace siteherald
