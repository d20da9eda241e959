// filelay.dat and profs.dat. The ordinary flows are driven through the windows in tests/ui;
// here are the damaged and cut-short files and the cases the windows do not reach.

#include "core/field_layout.h"
#include "core/known_files.h"
#include "core/profile_rows.h"
#include "core/profiles.h"
#include "test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace siteherald {
namespace {

using ::testing::ElementsAre;
using testing::ReadBytes;
using testing::WriteBytes;
using List = std::vector<std::string>;

TEST(ProfileLayoutTest, ListsAndReadsProfilesByWholeName) {
    // "Site" is a prefix of "Site2"; "Open" has lost its end line.
    const LineList layout = SplitLines("stray\n$STARTSite2\n1\nE|WHOLE|Two|None||\n1\n$ENDSite2\n"
                                       "$STARTSite\n1\nE|HALF|Alpha|Ident1|some text|\n"
                                       "E|HALF|Beta|None||\n1\n2\nM|WHOLE|Gamma|None||\n2\n"
                                       "$ENDSite\n$STARTOpen\n1\nE|WHOLE|Last|None||\n1\n");
    EXPECT_THAT(DisplayDefaultList(layout), ElementsAre("Site2", "Site", "Open"));
    const auto rows = ReadProfileRows(layout, "Site");
    ASSERT_TRUE(rows && rows->size() == 2 && (*rows)[0].size() == 2 && (*rows)[1].size() == 1);
    EXPECT_EQ(FormatFieldDefinition((*rows)[0][0]), "E|HALF|Alpha|Ident1|some text|");
    EXPECT_EQ((*rows)[0][1].name + (*rows)[1][0].name +
                  (*ReadProfileRows(layout, "Site2"))[0][0].name,
              "BetaGammaTwo");
    EXPECT_FALSE(ReadProfileRows(layout, "Sit"));
    EXPECT_EQ(ProfileSection(layout, "site"), std::nullopt);
    EXPECT_THAT(*ProfileSection(layout, "Open"), ElementsAre("1", "E|WHOLE|Last|None||", "1"));
    EXPECT_EQ(FormatFieldDefinition(ParseFieldDefinition("M|WHOLE|x")), "M|WHOLE||||");
}

struct ProfilesTest : ::testing::Test {
    testing::TempDir dir;
    std::string path = dir / "profs.dat";
};

TEST_F(ProfilesTest, DeleteProfileSectionCutsOneSection) {
    EXPECT_FALSE(DeleteProfileSection(path, "Site"));
    EXPECT_FALSE(FileExists(path));
    // LF endings show whether the file was rewritten.
    const std::string original = "top\n$STARTSite\n1\nE|WHOLE|A|None||\n1\n$ENDSite\n"
                                 "$STARTSite2\n1\nE|WHOLE|B|None||\n1\n$ENDSite2\nbottom\n";
    WriteBytes(path, original);
    EXPECT_FALSE(DeleteProfileSection(path, "Sit"));
    EXPECT_EQ(ReadBytes(path), original);
    EXPECT_TRUE(DeleteProfileSection(path, "Site"));
    EXPECT_EQ(ReadBytes(path),
              "top\r\n$STARTSite2\r\n1\r\nE|WHOLE|B|None||\r\n1\r\n$ENDSite2\r\nbottom\r\n");
}

TEST_F(ProfilesTest, AutoFillSectionIsReadAndRewrittenInPlace) {
    EXPECT_TRUE(GetAutoFill(path).empty());
    const std::string sdf = "$sdffiles\r\n/a.sdf|a.sdf|\r\n$sdffiles\r\n";
    // Without its closing marker the section ends at the next section.
    WriteBytes(path, "$AutoFill\r\nurl\r\nEmail\r\ntitle\r\nurl\r\n" + sdf);
    EXPECT_THAT(GetAutoFill(path), ElementsAre("Email", "title", "url"));
    SaveAutoFill(path, {"city", "addre"});
    EXPECT_EQ(ReadBytes(path), "$AutoFill\r\ncity\r\naddre\r\n$AutoFill\r\n" + sdf);
    WriteBytes(path, sdf);
    SaveAutoFill(path, {"url"});
    EXPECT_EQ(ReadBytes(path), sdf + "$AutoFill\r\nurl\r\n$AutoFill\r\n");
}

TEST_F(ProfilesTest, KnownFilesAreReadSortedAndTheirSectionReplaced) {
    List files{"kept"};
    EXPECT_FALSE(GetSDFfiles(path, files)); // a missing profs.dat leaves the list as it was
    EXPECT_THAT(files, ElementsAre("kept"));
    WriteKnownFiles(path, {"/a.sdf|a.sdf|"});
    EXPECT_FALSE(FileExists(path));

    // Sorted without case, exact duplicates dropped.
    WriteBytes(path, "$AutoFill\r\n$AutoFill\r\n$sdffiles\r\n/a/Zed.sdf|Zed.sdf|\r\n/a/beta.sdf|"
                     "beta.sdf|\r\n/a/Beta.sdf|Beta.sdf|\r\n/a/beta.sdf|beta.sdf|\r\n$sdffiles\r\n"
                     "/after.sdf|after.sdf|\r\n");
    EXPECT_TRUE(GetSDFfiles(path, files));
    EXPECT_THAT(KnownFilePaths(files), ElementsAre("/a/Beta.sdf", "/a/beta.sdf", "/a/Zed.sdf"));
    WriteKnownFiles(path, {"/b.sdf|b.sdf|"});
    EXPECT_EQ(ReadBytes(path), "$AutoFill\r\n$AutoFill\r\n$sdffiles\r\n/b.sdf|b.sdf|\r\n$sdffiles"
                               "\r\n/after.sdf|after.sdf|\r\n");

    // An unclosed section runs to the end of the file, its last line included.
    WriteBytes(path, "head\r\n$sdffiles\r\n/z.sdf|z.sdf|\r\n/y.sdf|y.sdf|\r\n");
    EXPECT_TRUE(GetSDFfiles(path, files));
    EXPECT_THAT(files, ElementsAre("/y.sdf|y.sdf|", "/z.sdf|z.sdf|"));
    WriteKnownFiles(path, {});
    EXPECT_EQ(ReadBytes(path), "head\r\n$sdffiles\r\n$sdffiles\r\n");
}

TEST(KnownFileListTest, AddAndRemoveMatchTheWholePath) {
    List files{"/a/beta.sdf|beta.sdf|"};
    EXPECT_FALSE(AddKnownFile(files, "/a/beta.sdf"));
    EXPECT_TRUE(AddKnownFile(files, "/a/Beta.sdf"));
    EXPECT_TRUE(AddKnownFile(files, "/a/beta"));
    EXPECT_THAT(files,
                ElementsAre("/a/Beta.sdf|Beta.sdf|", "/a/beta.sdf|beta.sdf|", "/a/beta|beta|"));
    files = {"/a/x.sdf|x.sdf|", "/a/x.sdf|other|", "/a/y.sdf|y.sdf|"};
    EXPECT_EQ(RemoveKnownFile(files, "/a/x"), -1);
    EXPECT_EQ(RemoveKnownFile(files, "/a/y.sdf"), 2);
    EXPECT_EQ(RemoveKnownFile(files, "/a/x.sdf"), 0);
    EXPECT_THAT(files, ElementsAre("/a/x.sdf|other|"));
}

RowInput Row(bool half, const char* name1, const char* default1, const char* auto1,
             const char* name2, const char* default2, const char* auto2) {
    return {"Edit", name1, default1, auto1, half, "Edit", name2, default2, auto2};
}

// The window's own table holds the plain refusals; these are the orders and exceptions.
TEST(RowProblemTest, FirstFailingCheckIsReported) {
    const std::string pipe = "Names and Default Values cannot contain a \"|\".";
    const std::string comma = "Names and Default Values cannot contain a \",\".";
    const std::tuple<RowInput, std::string> cases[] = {
        {Row(true, "Name", "", "name", "Mail", "", "email"), ""},
        {Row(true, "Name", "", "name", "Mail", "|", "name"), pipe}, // before the auto-fill check
        {Row(false, "Title", "", "title", "b|", "|", "None"), ""},  // field two ignored
        {Row(true, "Name", "", "None", "Mail", "", "None"), ""},
        {Row(true, "a,b", "", "name", "Mail", "", "name"), // before the comma check
         "Each AutoFill value can only be used once."},
        {Row(true, "", "", "name", "x,", "", "email"), comma},       // before the name check
        {Row(true, "Name", "1,2", "name", "Mail", "", "email"), ""}, // a default may hold a comma
        {Row(false, "", "", "title", "", "", "None"), "Please type in a name for each field."}};
    for (const auto& [row, expected] : cases)
        EXPECT_EQ(RowProblem(row), expected) << row.name1 << "/" << row.name2;
}

TEST(ProfileRowsTest, FreeListStaysSortedWithoutCaseAndUnique) {
    List free{"b", "D"};
    for (const char* name : {"c", "A", "None", "d", "e"}) // "D" is already there
        FreeAutoFill(free, name);
    TakeAutoFill(free, "c");
    TakeAutoFill(free, "None");
    EXPECT_THAT(free, ElementsAre("A", "b", "D", "e"));
}

// Places each definition in turn:
// "Label(left,top) kind Name(left,top width x height)=default rowTop".
TEST(FieldLayoutTest, RowsAndCountersOfPlacedFields) {
    const std::pair<const char*, const char*> steps[] = {
        {"E|HALF|Name|None||", "Label10(14,13) edit Edit10(86,8 170x21)= 8"},
        {"M|HALF|Notes|None||", "Label11(270,13) memo Memo10(344,8 170x49)= 60"},
        {"M|HALF|A|None||", "Label12(14,65) memo Memo11(86,60 170x49)= 60"},
        {"E|HALF|B|None||", "Label13(270,65) edit Edit11(344,60 170x21)= 112"}, // the taller half
        {"E|WHOLE|A|url|http://|", "Label14(14,117) edit url(86,112 428x21)=http:// 136"},
        {"M|WHOLE|C|desc|x|", "Label15(14,141) memo desc(86,136 428x49)=x 188"},
        {"X|WHOLE|E|None||", "Label16(14,193) label-only (86,188 428x0)= 212"},
        {"M|WHOLE|D|None||", "Label17(14,217) memo Memo13(86,212 428x49)= 264"}};
    FieldLayoutCursor c;
    for (const auto& [definition, expected] : steps) {
        const PlacedField p = c.Place(ParseFieldDefinition(definition));
        const char* kind = p.kind == PlacedField::Kind::Edit   ? "edit"
                           : p.kind == PlacedField::Kind::Memo ? "memo"
                                                               : "label-only";
        auto s = [](int n) { return std::to_string(n); };
        EXPECT_EQ(p.labelName + "(" + s(p.labelLeft) + "," + s(p.labelTop) + ") " + kind + " " +
                      p.controlName + "(" + s(p.left) + "," + s(p.top) + " " + s(p.width) + "x" +
                      s(p.height) + ")=" + p.defaultValue + " " + s(c.rowTop()),
                  expected);
    }
}

} // namespace
} // namespace siteherald
