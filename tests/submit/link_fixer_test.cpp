#include "submit/link_fixer.h"

#include <gtest/gtest.h>

namespace siteherald {
namespace {

TEST(LinkFixer, RootAndDirectoryOfTheSubmissionAddress) {
    struct Case {
        const char* address;
        const char* root;
        const char* directory;
    };
    for (const Case& c : {
             Case{"http://search.example/cgi/add.html", "http://search.example",
                  "http://search.example/cgi/"},
             Case{"http://search.example", "http://search.example", "http://search.example/"},
             Case{"https://secure.example/submit/", "https://secure.example",
                  "https://secure.example/submit/"},
             Case{"HTTP://Search.Example/Add.html", "http://Search.Example",
                  "http://Search.Example/"},
         }) {
        const LinkBase base = MakeLinkBase(c.address);
        EXPECT_EQ(base.root, c.root) << c.address;
        EXPECT_EQ(base.directory, c.directory) << c.address;
    }
}

TEST(LinkFixer, RelativeAddressesBecomeAbsolute) {
    const LinkBase base = MakeLinkBase("http://search.example/cgi/add.html");
    const std::pair<const char*, const char*> cases[] = {
        {"<A HREF=\"/x.html\">Home</A>", "<A HREF=\"http://search.example/x.html\">Home</A>"},
        {"<a href=\"help.html\"><img src=\"img/logo.gif\"></a> <a href=\"../up.html\">",
         "<a href=\"http://search.example/cgi/help.html\"><img "
         "src=\"http://search.example/cgi/img/logo.gif\"></a> <a "
         "href=\"http://search.example/cgi/../up.html\">"},
        {"<FORM METHOD=\"post\" ACTION=\"/cgi-bin/add.cgi\">",
         // the placeholder for its "A" comes back as "a"
         "<FORM METHOD=\"post\" aCTION=\"http://search.example/cgi-bin/add.cgi\">"},
        {"<form action=\"\">", "<form action=\"http://search.example/cgi/add.html\">"},
        // a query alone keeps the page's own file, as a browser resolves it
        {"<a href=\"?page=2\">", "<a href=\"http://search.example/cgi/add.html?page=2\">"},
    };
    for (const auto& [line, fixed] : cases)
        EXPECT_EQ(FixLinks(line, base), fixed);

    const LinkBase secure = MakeLinkBase("https://secure.example/submit/");
    EXPECT_EQ(FixLinks("<a href=\"/x\"><form action=\"post.cgi\">", secure),
              "<a href=\"https://secure.example/x\"><form "
              "action=\"https://secure.example/submit/post.cgi\">");
    EXPECT_EQ(FixLinks("<img src=\"logo.gif\">", MakeLinkBase("http://search.example")),
              "<img src=\"http://search.example/logo.gif\">");
}

TEST(LinkFixer, OtherAddressesAreLeftAlone) {
    const LinkBase base = MakeLinkBase("http://search.example/cgi/add.html");
    for (const char* line : {
             "<a  href=\"/x.html\">",
             "<a href='/x.html'>",
             "<a class=\"nav\" href=\"/x.html\">",
             "<a href=\"HTTP://UP.example/\">",
             "<a href=\"https://other.example/\">",
             "<a href=\"mailto:editor@search.example\">",
             "<a href=\"javascript:history.back()\">",
             "<img src=\"//cdn.example/logo.png\">",
             "<a href=\"#top\">",
             "<form action=\"https://secure.example/login\">",
         })
        EXPECT_EQ(FixLinks(line, base), line);
}

TEST(LinkFixer, FragmentLinksPointAtThePageItselfWhenItsAddressIsKnown) {
    const LinkBase base = MakeLinkBase("http://search.example/add/", "file:///home/u/~main.htm");
    EXPECT_EQ(FixLinks("<a href=\"#top\">Top</a>", base),
              "<a href=\"file:///home/u/~main.htm#top\">Top</a>");
}

TEST(LinkFixer, SearchAndReplaceTakesTheFirstOccurrence) {
    std::string text = "a-b-c";
    SearchAndReplace(text, "-", "+=");
    EXPECT_EQ(text, "a+=b-c");
}

} // namespace
} // namespace siteherald
