// The submission page and its fields (whole pages as sites ship them: tests/e2e).

#include "submit/clipboard_value.h"
#include "submit/form_scanner.h"
#include "submit/link_fixer.h"
#include "submit/page_builder.h"

#include <gtest/gtest.h>

namespace siteherald {
namespace {

using namespace std::string_literals;

const LineList kRecord =
    SplitLines("Search Example|http://search.example/cgi/add.html|\ntitle|title|"
               "\nurl|url|\ndescription|desc1|\nkeywords|keywo|\ncategory||");
const LineList kSite =
    SplitLines("title:Tom \"Tiny\" & Co <b>\nurl:http://kayaks.example/\ndesc1:\n\n"
               "Ends here?</textarea>\nsecond\n$desc1:\nkeywo:\n$FieldNames$\n"
               "title\nurl\ndesc1\nkeywo\n$FieldNames$");

// Each page alone, and what it becomes; a <head> line in front takes the <base href>.
TEST(PageBuilder, MappedTextBoxesAndAreasAreFilledAndEscaped) {
    const std::string title = "\"Tom &quot;Tiny&quot; &amp; Co &lt;b&gt;\"";
    const std::pair<LineList, LineList> cases[] = {
        // a record name also fills the page names it begins; a tag over lines is joined
        {{"<INPUT TYPE=\"text\"", "  NAME=\"url2\"", "  SIZE=\"40\">"},
         {"<INPUT TYPE=\"text\"  NAME=\"url2\" value=\"http://kayaks.example/\"   SIZE=\"40\">"}},
        {{"<td><TEXTAREA NAME=\"description\"", "ROWS=\"4\">Describe it</TEXTAREA>"},
         {"<td><TEXTAREA NAME=\"description\"ROWS=\"4\">Ends here?&lt;/textarea&gt;\r\nsecond"
          "Describe it</TEXTAREA>"}},
        {{"<input type=search name=title>"},
         {"<input type=search name=title value=" + title + " >"}},
        // a tag cut off by the end of the page is no tag
        {{"<p>", "<input type=\"text\" name=\"title\"", " size=40"},
         {"<p>", "<input type=\"text\" name=\"title\"", " size=40"}},
        // not text boxes, or not mapped, or nothing to put in
        {{"<input type=\"text\" id=\"title\" name=\"q\" data-x='name=\"title\"'>"},
         {"<input type=\"text\" id=\"title\" name=\"q\" data-x='name=\"title\"'>"}},
        {{"<input name=\"keywords\" value=\"kayak\"><input name=category>"},
         {"<input name=\"keywords\" value=\"kayak\"><input name=category>"}},
        {{"<script>w('<input name=\"title\">')</script><!-- <input name=\"title\"> -->"},
         {"<script>w('<input name=\"title\">')</script><!-- <input name=\"title\"> -->"}},
    };
    for (const auto& [page, filled] : cases) {
        LineList lines = page;
        lines.insert(lines.begin(), "<head>");
        EditHTML(lines, kRecord, kSite);
        EXPECT_EQ(lines.front(), "<head><base href=\"http://search.example/cgi/\">");
        EXPECT_EQ(LineList(lines.begin() + 1, lines.end()), filled) << page.front();
    }
}

TEST(PageBuilder, BaseHrefFollowsTheFirstHeadTag) {
    const std::string base = "<base href=\"http://search.example/cgi/\">";
    const std::pair<LineList, LineList> cases[] = {
        {{"<html>", "<HEAD lang=\"en\"><title>Add</title>", "<head>"},
         {"<html>", "<HEAD lang=\"en\">" + base + "<title>Add</title>", "<head>"}},
        {{"<body>", "<header>Add</header>"}, {base + "<body>", "<header>Add</header>"}},
        {{}, {}}};
    for (const auto& [page, expected] : cases) {
        LineList lines = page;
        EditHTML(lines, {"E|http://search.example/cgi/add.html|"}, {});
        EXPECT_EQ(lines, expected);
    }
    LineList lines = {"stale"};
    LoadStringListFromMemoryStream(lines, "a\r\nb\rc\nd\r\r\ne");
    EXPECT_EQ(lines, (LineList{"a", "b", "c", "d", "", "e"}));
    LoadStringListFromMemoryStream(lines, "<p>ab\0cd</p>\r\nnext\r\n"s); // a NUL ends the line
    EXPECT_EQ(lines, (LineList{"<p>ab", "next"}));
}

TEST(LinkFixer, RelativeAddressesBecomeAbsoluteAndOthersAreLeftAlone) {
    const LinkBase base = MakeLinkBase("http://Search.Example/cgi/add.html");
    const std::pair<const char*, const char*> cases[] = {
        {"<a href=\"help.html\"> <a href=\"../up.html\">",
         "<a href=\"http://Search.Example/cgi/help.html\"> <a "
         "href=\"http://Search.Example/cgi/../up.html\">"},
        // the placeholder for its "A" comes back as "a"
        {"<FORM ACTION=\"/cgi-bin/add.cgi\">",
         "<FORM aCTION=\"http://Search.Example/cgi-bin/add.cgi\">"},
        {"<form action=\"\">", "<form action=\"http://Search.Example/cgi/add.html\">"},
        // a query alone keeps the page's own file, as a browser resolves it
        {"<a href=\"?page=2\">", "<a href=\"http://Search.Example/cgi/add.html?page=2\">"},
    };
    for (const auto& [line, fixed] : cases)
        EXPECT_EQ(FixLinks(line, base), fixed);
    for (const char* line :
         {"<a  href=\"/x.html\">", "<a href='/x.html'>", "<a class=\"nav\" href=\"/x.html\">",
          "<a href=\"HTTP://UP.example/\">", "<a href=\"mailto:e@search.example\">",
          "<a href=\"javascript:history.back()\">", "<img src=\"//cdn.example/logo.png\">",
          "<a href=\"#top\">"})
        EXPECT_EQ(FixLinks(line, base), line);
}

std::vector<std::string> Scanned(std::string_view page) {
    std::vector<std::string> items;
    for (const ScannedField& field : ScanPage(page))
        items.push_back(ScannedFieldItem(field));
    return items;
}

TEST(FormScanner, ListsTextBoxesAndTextAreasOfFormsOnly) {
    const char* page =
        "<input name=\"before\" size=5><FORM><INPUT TYPE=hidden NAME=src><input name='mail'>\r"
        "<INPUT\r\n  TYPE=\"text\"\r\n  NAME=\"Title\">< input NAME=\"not a tag\" >\r\n"
        "<input TYPE = url NAME = contact size=30/><textarea name=\"desc\"\r\n rows=4><input "
        "name=inside></TEXTAREA><input type=password name=\"pw\"><input type=submit name=\"s\">"
        "<select name=\"cat\"></select><input size=10><input type=date name=d>\r\n"
        "<script>w('<input name=\"ad\">')</script><!-- <input name=\"old\"> --></FORM>"
        "<input name=\"between\"><form><input name=\"mail\"><input name=\"cut";
    EXPECT_EQ(Scanned(page), (std::vector<std::string>{"mail (Text Box)", "Title (Text Box)",
                                                       "contact (Text Box)", "desc (Textarea)",
                                                       "No Name (Text Box)", "mail (Text Box)"}));
    EXPECT_EQ(Scanned("<SCRIPT>document.write('<form><input name=\"ad\"></form>');\n</SCRIPT >"
                      "<form><input name=a\0<input name=b>\n<input name=c></form>"s),
              std::vector<std::string>{"a (Text Box)"});
}

// A multi-line value loses its leading empty lines (single values: tests/ui).
TEST(Clipboard, ValuesOfMultiLineFields) {
    const LineList file = SplitLines("$PROFILE$DEFAULT\ntitle:Tours\ndesc1:\n\n\nFirst line\n\n"
                                     "Third line\n$desc1:\ndesc2:\n$desc2:\n$FieldNames$\ntitle\n"
                                     "$FieldNames$");
    EXPECT_EQ(GetClipboard(file, "desc1"), "First line\r\n\r\nThird line");
    EXPECT_EQ(GetClipboard(file, "desc2"), "");
    EXPECT_EQ(GetClipboard(file, "Title"), "");
}

} // namespace
} // namespace siteherald
