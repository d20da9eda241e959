#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace siteherald {

// A sectioned key/value text file held as its lines, so that a write changes one line and
// keeps everything else (comments, order, unknown keys) as it was. Section and key names
// compare without regard to case; the first of duplicate sections or keys counts.
class IniDocument {
public:
    static IniDocument Parse(std::string_view text);

    std::optional<std::string> Get(std::string_view section, std::string_view key) const;
    void Set(std::string_view section, std::string_view key, std::string_view value);
    std::string Serialize() const;

private:
    std::vector<std::string> lines_;
};

} // namespace siteherald
