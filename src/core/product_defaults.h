#pragma once

#include <string_view>

namespace siteherald {

inline constexpr std::string_view kProgramVersion = "1.75.01";
inline constexpr int kVersionNumber = 175;

// The maker's servers. Placeholders: the addresses are settings, and a user or a test points
// them at a real server.
inline constexpr std::string_view kDefaultWebsite = "http://siteherald.example/siteherald/";
inline constexpr std::string_view kSupportEmail = "support@siteherald.example";

inline constexpr std::string_view kDefaultUpdateUrl =
    "http://siteherald.example/siteherald/update/";
inline constexpr std::string_view kDefaultVersionUrl =
    "http://siteherald.example/siteherald/versionupdate/update.upd";
inline constexpr std::string_view kDefaultUpgradeUrl =
    "ftp://siteherald.example/pub/progs/shupgrade.exe";

} // namespace siteherald
