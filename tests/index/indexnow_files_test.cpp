#include "index/indexnow_files.h"

#include <gtest/gtest.h>

namespace siteherald {
namespace {

// Addresses go to the endpoint as JSON strings: valid UTF-8 as it is (a page named in any
// script), escapes for what JSON forbids, and U+FFFD for each byte that is not UTF-8.
TEST(JsonStringTest, KeepsUtf8AndEscapesTheRest) {
    const std::pair<std::string, std::string> rows[] = {
        {"https://x.test/caf\xC3\xA9?q=\"a\\b\"",
         "\"https://x.test/caf\xC3\xA9?q=\\\"a\\\\b\\\"\""},
        {"\xDF\xBF \xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF",
         "\"\xDF\xBF \xE2\x82\xAC \xF0\x9F\x98\x80 \xF4\x8F\xBF\xBF\""},
        {"\t\r\n\x01", "\"\\t\\r\\n\\u0001\""},
        {"\x80 \xC0\xAF \xED\xA0\x80 \xF4\x90\x80\x80 \xE2\x82",
         "\"\\ufffd \\ufffd\\ufffd \\ufffd\\ufffd\\ufffd \\ufffd\\ufffd\\ufffd\\ufffd "
         "\\ufffd\\ufffd\""},
    };
    for (const auto& [text, json] : rows)
        EXPECT_EQ(JsonString(text), json);
}

} // namespace
} // namespace siteherald
