#pragma once

#include <string>

namespace siteherald {

// Where the data files (engines, profiles, logs, generated pages) live:
//  1. $SITEHERALD_DATA_DIR when set;
//  2. the executable's own folder when it holds filelay.dat and is writable (portable use);
//  3. ~/Siteherald, created and filled with the shipped default data on first use.
// A visible folder on purpose: browsers installed as snaps cannot read hidden ones, and
// the generated pages must open in the user's browser. Throws FileError when the folder
// cannot be created.
std::string ResolveDataDir();

// The folder of shipped default data: <prefix>/share/siteherald/data beside an installed
// program, else the source tree's data folder this program was built from. Empty if
// neither exists.
std::string ShippedDataDir();

// Copies every file of `from` (recursively) that `to` does not have yet. Throws FileError.
void SeedDataDir(const std::string& from, const std::string& to);

// The folder of the running executable.
std::string ExecutableDir();

// dir + "/" + name.
std::string JoinPath(const std::string& dir, const std::string& name);

} // namespace siteherald
