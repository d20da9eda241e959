#include "missing_file.h"

#include "settings_store.h"

namespace siteherald {

void MarkMissingFile(const std::string& fileName) {
    IniWriteBool("Updates", fileName, true);
}

} // namespace siteherald
