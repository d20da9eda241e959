#include "submit/clipboard_value.h"
#include "submit/frame_page.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace siteherald {
namespace {

TEST(Clipboard, ValuesOfSingleAndMultiLineFields) {
    const LineList file = {
        "$PROFILE$DEFAULT",
        "title:Harbour Kayak Tours",
        "url:http://harbour-kayaks.example:8080/tours",
        "desc1:",
        "",
        "",
        "First line",
        "",
        "Third line",
        "$desc1:",
        "desc2:",
        "$desc2:",
        "$FieldNames$",
        "title",
        "url",
        "desc1",
        "desc2",
        "phone",
        "$FieldNames$",
    };
    EXPECT_EQ(GetClipboard(file, "title"), "Harbour Kayak Tours");
    EXPECT_EQ(GetClipboard(file, "url"), "http://harbour-kayaks.example:8080/tours");
    EXPECT_EQ(GetClipboard(file, "desc1"), "First line\r\n\r\nThird line");
    EXPECT_EQ(GetClipboard(file, "desc2"), "");
    EXPECT_EQ(GetClipboard(file, "Title"), "");
    EXPECT_EQ(GetClipboard(file, "email"), "");
    EXPECT_EQ(GetClipboard(file, ""), "");
    EXPECT_EQ(GetClipboard({}, "title"), "");
}

const LineList kAd = {"<p>ad</p>"};
const LineList kPage = {"<html>", "</html>"};
const LineList kFramePage = {
    "<frameset rows=\"80,*\">",
    "<frame name=\"Ad\" src=\"~adauto.htm\" marginwidth=\"10\" marginheight=\"10\" "
    "scrolling=\"no\" frameborder=\"no\" noresize>",
    "<frame name=\"Main\" src=\"~mainauto.htm\" marginwidth=\"10\" marginheight=\"10\" "
    "scrolling=\"auto\" frameborder=\"no\" noresize>",
    "<noframes>",
    "<html>",
    "<body>",
    "<p>ad</p>",
    "<br><hr align=\"CENTER\" size=\"2\" width=\"100%\" noshade><p>",
    "<html>",
    "</html>",
    "</body>",
    "</html>",
    "</noframes>",
    "</frameset>",
};

TEST(FramePage, MakePageLines) {
    EXPECT_EQ(MakePage(kMainPageName, kAdPageName, kAd, kPage), kFramePage);
}

TEST(FramePage, SavedPagesSitSideBySide) {
    testing::TempDir dir;
    EXPECT_EQ(SaveSubmissionPages(dir.path(), kPage, kAd), dir / "~auto.htm");
    EXPECT_EQ(testing::ReadBytes(dir / "~mainauto.htm"), "<html>\r\n</html>\r\n");
    EXPECT_EQ(testing::ReadBytes(dir / "~auto.htm"), JoinLines(kFramePage));
    EXPECT_THROW(SaveSubmissionPages(dir / "missing", kPage, kAd), FileError);
}

} // namespace
} // namespace siteherald
