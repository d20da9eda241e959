#include "submit/form_scanner.h"

#include <gtest/gtest.h>

namespace siteherald {
namespace {

using Strings = std::vector<std::string>;

Strings Items(std::string_view page) {
    Strings items;
    for (const ScannedField& field : ScanPage(page))
        items.push_back(ScannedFieldItem(field));
    return items;
}

TEST(FormScanner, ListsTextBoxesAndTextAreasOfEveryFormInPageOrder) {
    const char* page =
        "<HTML><BODY>\r\n"
        "<input name=\"before\" size=5>\r\n"
        "<FORM ACTION=\"/add.cgi\">\r\n"
        "<INPUT TYPE=hidden NAME=src VALUE=1><INPUT TYPE=\"text\" NAME=\"Url\" SIZE=\"50\">\n"
        "<input type=\"hidden\" name=\"a\"><input name='mail' size=\"9\">\r"
        "<td><INPUT\r\n"
        "  TYPE=\"text\"\r\n"
        "  NAME=\"Title\" SIZE=\"60\"></td>\r\n"
        "< input TYPE = text NAME=\"not a tag\" size=30 >\r\n"
        "<input TYPE = url NAME = contact size=30/><input type=EMAIL name=ref>\r\n"
        "<textarea name=\"desc\"\r\n rows=4><input name=inside></TEXTAREA>\r\n"
        "<input type=password name=\"pw\" size=8><input type=radio name=\"r\" value=1>\r\n"
        "<input type=checkbox name=\"c\"><input type=submit name=\"s\" value=Go>\r\n"
        "<input type=reset name=\"x\"><input type=image name=\"i\"><input type=date name=d>\r\n"
        "<select name=\"cat\"><option>A</select><input size=10><input name=\"\" type=tel>\r\n"
        "<script>w('<input name=\"ad\">')</script><!-- <input name=\"old\"> -->\r\n"
        "</FORM><p>between <input name=\"between\" size=3></p><form><input name=\"Url\" "
        "size=9></form><form action=\"/news.cgi\"><input type=\"search\" name=nl></form>";
    // Repeats are the editor's business: "Url" is listed twice.
    EXPECT_EQ(Items(page), (Strings{"Url (Text Box)", "mail (Text Box)", "Title (Text Box)",
                                    "contact (Text Box)", "ref (Text Box)", "desc (Textarea)",
                                    "No Name (Text Box)", "Url (Text Box)", "nl (Text Box)"}));
}

TEST(FormScanner, FormsInsideScriptsAndCutOffTagsAreNotListed) {
    EXPECT_EQ(Items(""), Strings{});
    EXPECT_EQ(Items("<p><input name=\"q\" size=5></p>\n"), Strings{});
    EXPECT_EQ(Items("<form><input name=\"q\" size=5><input name=\"cut"), Strings{"q (Text Box)"});
    EXPECT_EQ(Items("<SCRIPT>document.write('<form><input name=\"ad\"></form>');\n</SCRIPT >"
                    "<form><input name=\"q\"></form>"),
              Strings{"q (Text Box)"});
    using namespace std::string_literals;
    EXPECT_EQ(Items("<form><input name=a\0<input name=b>\n<input name=c></form>"s),
              Strings{"a (Text Box)"});
}

} // namespace
} // namespace siteherald
