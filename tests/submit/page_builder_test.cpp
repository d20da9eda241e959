#include "submit/page_builder.h"

#include <gtest/gtest.h>

namespace siteherald {
namespace {

const LineList kRecord = {
    "Search Example|http://search.example/cgi/add.html|",
    "title|title|",
    "url|url|",
    "email|email|",
    "description|desc1|",
    "keywords|keywo|",
    "phone|phone|",
    "category||",
};

const LineList kSite = {
    "$PROFILE$DEFAULT",
    "title:Harbour Kayak Tours",
    "url:http://harbour-kayaks.example/",
    "email:robin@harbour-kayaks.example",
    "desc1:",
    "",
    "Guided tours & \"old salts\"",
    "second line",
    "$desc1:",
    "keywo:",
    "$FieldNames$",
    "title",
    "url",
    "email",
    "desc1",
    "keywo",
    "$FieldNames$",
};

constexpr const char* kFilledTitle = "value=\"Harbour Kayak Tours\" ";
constexpr const char* kFilledUrl = "value=\"http://harbour-kayaks.example/\" ";

// The page body after EditHTML; a <head> line in front takes the <base href>.
LineList Fill(LineList body, const LineList& site = kSite) {
    body.insert(body.begin(), "<head>");
    EditHTML(body, kRecord, site);
    EXPECT_EQ(body.front(), "<head><base href=\"http://search.example/cgi/\">");
    body.erase(body.begin());
    return body;
}

std::string Concat(const std::string& a, const std::string& b, const std::string& c = "") {
    return a + b + c;
}

TEST(PageBuilder, TagOverThreeLinesIsJoinedThenFilled) {
    EXPECT_EQ(Fill({"<form action=\"add.cgi\">", "<INPUT TYPE=\"text\"", "    NAME=\"title\"",
                    "    SIZE=\"40\">", "</form>"}),
              (LineList{"<form action=\"http://search.example/cgi/add.cgi\">",
                        Concat("<INPUT TYPE=\"text\"    NAME=\"title\" ", kFilledTitle,
                               "    SIZE=\"40\">"),
                        "</form>"}));
    // A tag never closed takes every remaining line and is not filled.
    EXPECT_EQ(Fill({"<p>", "<input type=\"text\" name=\"title\"", " size=40", " maxlength=80"}),
              (LineList{"<p>", "<input type=\"text\" name=\"title\" size=40 maxlength=80"}));
}

TEST(PageBuilder, RecordNameMatchesPageNamesByPrefix) {
    EXPECT_EQ(Fill({"<input type=\"text\" name=\"url2\" value=\"http://\">",
                    "<input type=\"text\" name=\"url\" value=\"http://\">",
                    "<input type=text name=url2 size=30>"}),
              (LineList{// quoted "url2" is not "url": its value goes, nothing is inserted
                        "<input type=\"text\" name=\"url2\" >",
                        Concat("<input type=\"text\" name=\"url\" ", kFilledUrl, " >"),
                        // unquoted: the insertion follows the one character after "url"
                        Concat("<input type=text name=url2 ", kFilledUrl, " size=30>")}));
}

TEST(PageBuilder, OldValueAttributeGivesWayToTheNewOne) {
    EXPECT_EQ(
        Fill({"<input type=\"text\" value=\"old title\" name=\"title\" size=\"40\">",
              "<input type=text name=title value=old size=40>",
              // first field line of the record wins, first value attribute goes
              "<input type=\"text\" name=\"url\" value=\"http://\"><input type=\"text\" "
              "name=\"title\" value=\"My site\">"}),
        (LineList{Concat("<input type=\"text\"  name=\"title\" ", kFilledTitle, " size=\"40\">"),
                  Concat("<input type=text name=title  ", kFilledTitle, "size=40>"),
                  Concat("<input type=\"text\" name=\"url\" ><input type=\"text\" name=\"title\" ",
                         kFilledTitle, " value=\"My site\">")}));
}

TEST(PageBuilder, OnlyTextBoxesWithAValueAreFilled) {
    const LineList unchanged = {
        "<input type=\"text\" name=\"keywords\" value=\"kayak\">",  // empty value
        "<input type=\"text\" name=\"phone\" value=\"+44\">",       // identifier not in the file
        "<input type=\"text\" name=\"category\" value=\"Travel\">", // no identifier
        "<input type=\"password\" name=\"title\">",
        "<input type=\"Text\" name=\"title\">",
        "<input type=\"hidden\" name=\"src\" value=\"a\"><input type=\"text\" name=\"title\">",
        "Enter text: <input type=\"text\" name=\"title\">",
    };
    EXPECT_EQ(Fill(unchanged), unchanged);
    EXPECT_EQ(Fill({"<input name=\"title\" size=\"40\">", "<INPUT TYPE=\"TEXT\" NAME=\"title\">"}),
              (LineList{Concat("<input name=\"title\" ", kFilledTitle, " size=\"40\">"),
                        Concat("<INPUT TYPE=\"TEXT\" NAME=\"title\" ", kFilledTitle, ">")}));
}

// An unquoted name right before the tag's ">" gets the attribute inside the tag.
TEST(PageBuilder, UnquotedNameAtTagEndIsFilledInsideTheTag) {
    const std::string line = Fill({"<td><input type=text name=email></td>"}).at(0);
    const size_t value = line.find("value=\"robin@harbour-kayaks.example\"");
    ASSERT_NE(value, std::string::npos) << line;
    EXPECT_LT(value, line.find('>', line.find("<input"))) << line;
}

TEST(PageBuilder, TextAreaGetsValueBeforeItsContent) {
    EXPECT_EQ(
        Fill({"<td><TEXTAREA NAME=\"description\"", "ROWS=\"4\">Describe it</TEXTAREA></td>"}),
        (LineList{"<td><TEXTAREA NAME=\"description\"ROWS=\"4\">Guided tours &amp; "
                  "&quot;old salts&quot;\r\nsecond lineDescribe it</TEXTAREA></td>"}));
}

TEST(PageBuilder, ValuesAreEscaped) {
    const LineList site = {"title:Tom \"Tiny\" & Co <b>",
                           "desc1:", "Ends here?</textarea><script>x()</script>", "$desc1:"};
    EXPECT_EQ(
        Fill({"<input type=\"text\" name=\"title\">", "<textarea name=\"description\"></textarea>"},
             site),
        (LineList{"<input type=\"text\" name=\"title\" value=\"Tom &quot;Tiny&quot; &amp; Co "
                  "&lt;b&gt;\" >",
                  "<textarea name=\"description\">Ends here?&lt;/textarea&gt;&lt;script&gt;"
                  "x()&lt;/script&gt;</textarea>"}));
}

TEST(PageBuilder, BaseHrefFollowsTheFirstHeadTag) {
    const auto build = [](LineList page, const std::string& address) {
        EditHTML(page, {"E|" + address + "|"}, {});
        return page;
    };
    const std::string base = "<base href=\"http://search.example/cgi/\">";
    EXPECT_EQ(build({"<html>", "<HEAD lang=\"en\"><title>Add</title>", "<head>"},
                    "http://search.example/cgi/add.html"),
              (LineList{"<html>", "<HEAD lang=\"en\">" + base + "<title>Add</title>", "<head>"}));
    EXPECT_EQ(build({"<body>", "<header>Add</header>"}, "http://search.example/cgi/add.html"),
              (LineList{base + "<body>", "<header>Add</header>"}));
    EXPECT_EQ(build({"<p>Add</p>"}, "http://search.example/cgi/add.html"),
              LineList{base + "<p>Add</p>"});
    EXPECT_EQ(build({"<head>"}, "https://secure.example/submit/"),
              (LineList{"<head><base href=\"https://secure.example/submit/\">"}));
    EXPECT_EQ(build({}, "http://search.example/"), LineList{});
}

TEST(PageBuilder, YesTagJoinsTheFormTag) {
    LineList page = {"<p>", "<INPUT TYPE=\"text\"", "  NAME=\"a\">", "<p>"};
    EXPECT_EQ(YesTag(page, 1), "input");
    EXPECT_EQ(page, (LineList{"<p>", "<INPUT TYPE=\"text\"  NAME=\"a\">", "<p>"}));
    page = {"x<textarea name=d", "rows=3>old</textarea>", "<input>"};
    EXPECT_EQ(YesTag(page, 0), "textarea");
    EXPECT_EQ(page, (LineList{"x<textarea name=drows=3>old</textarea>", "<input>"}));
    EXPECT_EQ(YesTag(page, 1), "input");
    page = {"<p>no form</p>", "<input name=a"};
    EXPECT_EQ(YesTag(page, 0), "");
    EXPECT_EQ(YesTag(page, 1), ""); // last line, no ">": left as it is
    EXPECT_EQ(page, (LineList{"<p>no form</p>", "<input name=a"}));
}

TEST(PageBuilder, FieldPosAndFieldType) {
    EXPECT_EQ(FieldPos("<p>x</p><INPUT name=a>"), 9u);
    EXPECT_EQ(FieldPos("<TextArea></textarea><input>"), 1u);
    EXPECT_EQ(FieldPos("<p>"), 0u);
    for (const char* text :
         {"<input type=\"text\">", "<input type=text>", "<input name=a>", "<INPUT TYPE=\"TEXT\">"})
        EXPECT_EQ(FieldType(text), "text") << text;
    for (const char* other : {"<input type=\"password\">", "<input type=\"Text\">",
                              "<input type=hidden><input type=text>", "text <input type=text>"})
        EXPECT_EQ(FieldType(other), "") << other;
}

TEST(PageBuilder, StreamIsSplitIntoLines) {
    LineList lines = {"stale"};
    LoadStringListFromMemoryStream(lines, "a\r\nb\rc\nd\r\r\ne");
    EXPECT_EQ(lines, (LineList{"a", "b", "c", "d", "", "e"}));
    using namespace std::string_literals;
    LoadStringListFromMemoryStream(lines, "<p>ab\0cd</p>\r\nnext\r\n"s);
    EXPECT_EQ(lines, (LineList{"<p>ab", "next"}));
    LoadStringListFromMemoryStream(lines, "");
    EXPECT_EQ(lines, LineList{});
}

} // namespace
} // namespace siteherald
