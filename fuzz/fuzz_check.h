#pragma once

#include <cstdlib>

// A property a fuzz target holds: its failure stops the run where libFuzzer sees it.
inline void Check(bool ok) {
    if (!ok)
        std::abort();
}
