#pragma once

#include <string>

namespace siteherald {

// The program registered to open "http" addresses (name "http") or web pages (name "htm"):
// the default browser's desktop entry (xdg-settings, else xdg-mime), its Exec line read as
// the Desktop Entry Specification says. Its full path, or empty when none is found.
std::string GetProgramAssociation(const std::string& name);

// The program of a desktop entry's Exec value: quoting and escapes undone, a leading
// "env VAR=value ..." skipped, field codes ignored. Empty when there is none.
std::string ExecProgram(const std::string& execValue);

// The Exec value of a desktop entry file's [Desktop Entry] group; empty when none.
std::string DesktopEntryExec(const std::string& desktopFileContents);

} // namespace siteherald
