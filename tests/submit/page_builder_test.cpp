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
    // A tag cut off by the end of the page is no tag: left as it is.
    const LineList cut = {"<p>", "<input type=\"text\" name=\"title\"", " size=40"};
    EXPECT_EQ(Fill(cut), cut);
}

// Each line of the page alone, and what it becomes.
TEST(PageBuilder, FieldsAreReadByTheirAttributes) {
    const std::string title = "\"Harbour Kayak Tours\"";
    const std::string url = "\"http://harbour-kayaks.example/\"";
    const std::pair<std::string, std::string> cases[] = {
        // a record name also fills the page names it begins; the first record line wins
        {"<input type=\"text\" name=\"url2\">",
         "<input type=\"text\" name=\"url2\" value=" + url + " >"},
        {"<input type=text name=url2 size=30>",
         "<input type=text name=url2  value=" + url + " size=30>"},
        // a value already there is replaced where it stands, however it is quoted
        {"<input type=\"text\" value=\"old title\" name=\"title\" size=\"40\">",
         "<input type=\"text\" value=" + title + " name=\"title\" size=\"40\">"},
        {"<input type=text name=title value=old size=40>",
         "<input type=text name=title value=" + title + " size=40>"},
        {"<input value='' NAME='TITLE'/>", "<input value=" + title + " NAME='TITLE'/>"},
        // every field of a line, whatever else is on it
        {"Enter text: <input type=\"hidden\" name=\"src\" value=\"a\"><input type=\"text\" "
         "name=\"url\" value=\"http://\"><input type=\"Text\" class=\"text\" name=\"title\">",
         "Enter text: <input type=\"hidden\" name=\"src\" value=\"a\"><input type=\"text\" "
         "name=\"url\" value=" +
             url + "><input type=\"Text\" class=\"text\" name=\"title\" value=" + title + " >"},
        {"<input type=url name=url><INPUT TYPE=EMAIL NAME=email /><input type=search name=title>",
         "<input type=url name=url value=" + url +
             " ><INPUT TYPE=EMAIL NAME=email  value=\"robin@harbour-kayaks.example\" /><input "
             "type=search name=title value=" +
             title + " >"},
        // an unquoted name that ends the tag gets the value inside the tag
        {"<td><input type=text name=email></td>",
         "<td><input type=text name=email value=\"robin@harbour-kayaks.example\" ></td>"},
        // not text boxes, or not mapped, or nothing to put in
        {"<input type=\"password\" name=\"title\"><input type=checkbox name=title>",
         "<input type=\"password\" name=\"title\"><input type=checkbox name=title>"},
        {"<input type=\"text\" id=\"title\" name=\"q\" data-x='name=\"title\"'>",
         "<input type=\"text\" id=\"title\" name=\"q\" data-x='name=\"title\"'>"},
        {"<input name=\"keywords\" value=\"kayak\"><input name=\"phone\"><input name=category>",
         "<input name=\"keywords\" value=\"kayak\"><input name=\"phone\"><input name=category>"},
        {"<script>w('<input name=\"title\">')</script><!-- <input name=\"title\"> -->",
         "<script>w('<input name=\"title\">')</script><!-- <input name=\"title\"> -->"},
    };
    for (const auto& [page, filled] : cases)
        EXPECT_EQ(Fill({page}), LineList{filled}) << page;
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
