#include "submit/form_scanner.h"

#include <gtest/gtest.h>

namespace siteherald {
namespace {

std::vector<std::string> Items(std::string_view page) {
    std::vector<std::string> items;
    for (const ScannedField& field : ScanPage(page))
        items.push_back(ScannedFieldItem(field));
    return items;
}

using Strings = std::vector<std::string>;

TEST(FormScanner, ListsTextBoxesAndTextAreasOfEveryFormInPageOrder) {
    const char* page =
        "<HTML><BODY>\r\n"
        "<input name=\"before\" size=5>\r\n"
        "<FORM ACTION=\"/add.cgi\">\r\n"
        "<INPUT TYPE=hidden NAME=src VALUE=1><INPUT TYPE=\"text\" NAME=\"Url\" SIZE=\"50\">\n"
        "<input type=\"hidden\" name=\"a\"><input type=\"hidden\" name=\"b\"><input name=\"mail\" "
        "size=\"9\">\r"
        "<td><INPUT\r\n"
        "  TYPE=\"text\"\r\n"
        "  NAME=\"Title\" SIZE=\"60\"></td>\r\n"
        "< input TYPE = text NAME=\"contact\" size=30 >\r\n"
        "<input type=text name=keywords size=60><input type=text name=ref>\r\n"
        "<textarea name=\"desc\"\r\n rows=4></TEXTAREA>\r\n"
        "<input type=password name=\"pw\" size=8><input type=radio name=\"r\" value=1>\r\n"
        "<input type=checkbox name=\"c\" value=1><input type=submit name=\"s\" value=Go>\r\n"
        "<input type=reset name=\"x\" value=No><input type=image name=\"i\" src=a.gif>\r\n"
        "<select name=\"cat\"><option>A</select><input size=10>\r\n"
        "</FORM><p>between <input name=\"between\" size=3></p><form><input name=\"Url\" "
        "size=9></form>\r\n"
        "<form action=\"/news.cgi\">\r\n"
        "<input type=\"TEXT\" name=\"nl\" size=\"30\">\r\n"
        "</form>\r\n"
        "</BODY></HTML>\r\n";
    // Repeats are the editor's business: "Url" is listed twice.
    EXPECT_EQ(Items(page), (Strings{"Url (Text Box)", "mail (Text Box)", "Title (Text Box)",
                                    "contact (Text Box)", "keywords (Text Box)", "desc (Textarea)",
                                    "No Name (Text Box)", "Url (Text Box)", "nl (Text Box)"}));
}

TEST(FormScanner, FormsOutsideTheScannedLinesAreNotListed) {
    EXPECT_EQ(Items(""), Strings{});
    EXPECT_EQ(Items("<p><input name=\"q\" size=5></p>\n"), Strings{});
    // The last line of the page is never taken into a form.
    EXPECT_EQ(Items("<form><input name=\"q\" size=5></form>"), Strings{});
    EXPECT_EQ(Items("<form><input name=\"q\" size=5></form>\n<form><input name=\"z\" size=5>"),
              Strings{"q (Text Box)"});
    EXPECT_EQ(Items("<form>\n<input name=\"q\" size=5>\n<input name=\"never\" size=5>"),
              Strings{"q (Text Box)"});
}

TEST(FormScanner, FormInsideAScriptIsSkippedAlone) {
    EXPECT_EQ(Items("<script>\n"
                    "document.write('<form><input name=\"ad\" size=5></form>');\n"
                    "</script>\n"
                    "<form><input name=\"q\" size=5></form>\n"
                    "<SCRIPT type=\"text/javascript\">w('<FORM><input name=\"ad2\" size=5>');\n"
                    "</SCRIPT>\n"
                    "<p><script>w('<form><input name=\"ad3\" size=5></form>');</script><form>"
                    "<input name=\"q2\" size=5></form>\n"
                    "<form><input name=\"z\" size=5>\n"
                    "</form>\n"),
              (Strings{"q (Text Box)", "q2 (Text Box)", "z (Text Box)"}));
}

TEST(FormScanner, ScriptMarksCutAwayWithAFormStillCount) {
    EXPECT_EQ(Items("<script>\n"
                    "var seen = 0;\n"
                    "</script><form><input name=\"first\" size=5>\n"
                    "</form>\n"
                    "<form><input name=\"second\" size=5></form>\n"
                    "</body>\n"),
              (Strings{"first (Text Box)", "second (Text Box)"}));
    EXPECT_EQ(Items("<script>w('<form><input name=\"ad\" size=5>');\n"
                    "w('<form><input name=\"ad2\" size=5></form>');\n"
                    "</script>\n"
                    "<form><input name=\"q\" size=5></form>\n"
                    "</body>\n"),
              Strings{"q (Text Box)"});
}

TEST(FormScanner, TagIsReadAtMostKMaxTagCharacters) {
    const std::string filler(kMaxTag, 'x');
    EXPECT_EQ(Items("<form><input size=1 name=\"near\" " + filler + ">\n</form>\n"),
              Strings{"near (Text Box)"});
    EXPECT_EQ(Items("<form><input size=1 " + filler + " name=\"far\">\n</form>\n"),
              Strings{"No Name (Text Box)"});
}

TEST(FormScanner, GetInfoReadsTypeAndName) {
    for (const char* tag : {"input type=\"text\" name=a", "INPUT TYPE=Text NAME=a",
                            "input name=a size=3", "input TYPE = radio"})
        EXPECT_EQ(GetInfo(tag, 1), "1") << tag;
    for (const char* tag : {"input type=text", "input type=\"\" name=a", " input name=a size=3",
                            "input type=password name=a"})
        EXPECT_EQ(GetInfo(tag, 1), "0") << tag;
    const char* const coded[] = {"textarea rows=3",         "input type=radio name=a",
                                 "input type=\"checkbox\"", "input type=submit value=Go",
                                 "input type=\"reset\"",    "input type=hidden name=a"};
    for (int k = 0; k < 6; ++k)
        EXPECT_EQ(GetInfo(coded[k], 1), std::to_string(k + 2)) << coded[k];

    const std::pair<const char*, const char*> names[] = {
        {"input NAME=\"Full Name\" size=3", "Full Name"},
        {"input NAME=eMail size=3", "eMail"},
        {"input name=last", ""},
        {"input name=\"open size=3", ""},
        {"input name=\"\" size=3", "\""},
        {"input name= size=3", ""},
        {"input size=3", "No Name"},
        {"input name = \"spaced\" size=3", "No Name"}};
    for (const auto& [tag, name] : names)
        EXPECT_EQ(GetInfo(tag, 2), name) << tag;
}

TEST(FormScanner, FieldPosSkipsTagsBeforeAnUnquotedHiddenType) {
    EXPECT_EQ(ScannerFieldPos("Name: <INPUT name=a>"), 7u);
    EXPECT_EQ(ScannerFieldPos("<b><textarea name=t></textarea><input name=a>"), 4u);
    EXPECT_EQ(ScannerFieldPos("<select name=s></select>"), 0u);
    EXPECT_EQ(ScannerFieldPos("<input type=hidden name=h><input name=a>"), 1u);
    EXPECT_EQ(ScannerFieldPos("input type=hidden name=h><input name=a>"), 26u);
    // ">input" at or after "type=hidden" hides every field tag before it.
    EXPECT_EQ(ScannerFieldPos("<input name=a><input type=hidden name=h><b>>input</b>"), 0u);
    EXPECT_EQ(ScannerFieldPos("<b>>input</b><input name=a><input type=hidden name=h>"), 14u);
}

TEST(FormScanner, FixHTMLAndFormCount) {
    LineList lines = {"<  input name=a   > < /form >", "a < b > c", "< >", ""};
    FixHTML(lines);
    EXPECT_EQ(lines, (LineList{"<input name=a> </form>", "a <b> c", "<>", ""}));
    EXPECT_EQ(FormCount({"<FORM><form x><Form", "<for", "m <formula", "</form>"}), 4u);
}

} // namespace
} // namespace siteherald
