#include "core/known_files.h"
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

// Rows separated by " / ", each row's definitions by " + "; "<none>" for a missing profile.
std::string Formatted(const std::optional<std::vector<std::vector<FieldDefinition>>>& rows) {
    if (!rows)
        return "<none>";
    std::string out;
    for (const auto& row : *rows)
        for (size_t i = 0; i < row.size(); ++i)
            out += (i ? " + " : out.empty() ? "" : " / ") + FormatFieldDefinition(row[i]);
    return out;
}

class ProfilesTest : public ::testing::Test {
protected:
    testing::TempDir dir;
    std::string path = dir / "profs.dat";
};

TEST(ProfileLayoutTest, ListsAndReadsProfilesByWholeName) {
    // "Site" is a prefix of "Site2"; "Open" has lost its end line.
    const LineList layout = SplitLines("stray\n$STARTSite2\n1\nE|WHOLE|Two|None||\n1\n$ENDSite2\n"
                                       "$STARTSite\n1\nE|HALF|Alpha|Ident1|some text|\n"
                                       "E|HALF|Beta|None||\n1\n2\nM|WHOLE|Gamma|None||\n2\n"
                                       "$ENDSite\n$STARTOpen\n1\nE|WHOLE|Last|None||\n1\n");
    EXPECT_THAT(DisplayDefaultList(layout), ElementsAre("Site2", "Site", "Open"));
    EXPECT_EQ(Formatted(ReadProfileRows(layout, "Site")),
              "E|HALF|Alpha|Ident1|some text| + E|HALF|Beta|None|| / M|WHOLE|Gamma|None||");
    EXPECT_EQ(Formatted(ReadProfileRows(layout, "Site2")), "E|WHOLE|Two|None||");
    EXPECT_EQ(Formatted(ReadProfileRows(layout, "Sit")), "<none>");
    EXPECT_EQ(ProfileSection(layout, "site"), std::nullopt);
    EXPECT_THAT(*ProfileSection(layout, "Open"), ElementsAre("1", "E|WHOLE|Last|None||", "1"));
    EXPECT_EQ(Formatted(ReadProfileRows(layout, "Open")), "E|WHOLE|Last|None||");

    const FieldDefinition f = ParseFieldDefinition("E|HALF|Alpha|Ident1|some text|");
    EXPECT_EQ(f.type + "/" + f.width + "/" + f.name + "/" + f.autoFill + "/" + f.defaultValue,
              "E/HALF/Alpha/Ident1/some text");
    EXPECT_EQ(FormatFieldDefinition(ParseFieldDefinition("M|WHOLE|x")), "M|WHOLE||||");
}

TEST(ProfileLayoutTest, SaveOldProfMovesProfileToTheEnd) {
    LineList lines{"$STARTA", "1", "E|WHOLE|a|None||", "1", "$ENDA", "$STARTB", "$ENDB"};
    SaveOldProf(lines, "A", "A2", {"1", "M|WHOLE|m|None||", "1"});
    SaveOldProf(lines, "Gone", "C", {"1", "E|WHOLE|c|None||", "1"});
    SaveNewProf(lines, "D", {});
    EXPECT_EQ(JoinLines(lines), "$STARTB\r\n$ENDB\r\n$STARTA2\r\n1\r\nM|WHOLE|m|None||\r\n1\r\n"
                                "$ENDA2\r\n$STARTC\r\n1\r\nE|WHOLE|c|None||\r\n1\r\n$ENDC\r\n"
                                "$STARTD\r\n$ENDD\r\n");
}

TEST_F(ProfilesTest, DeleteProfileSectionCutsOneSection) {
    EXPECT_FALSE(DeleteProfileSection(path, "Site"));
    EXPECT_FALSE(FileExists(path));
    WriteBytes(path, "");
    EXPECT_FALSE(DeleteProfileSection(path, "Site"));
    EXPECT_EQ(ReadBytes(path), "");
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
    SaveAutoFill(path, {"url", "email"});
    EXPECT_EQ(ReadBytes(path), "$AutoFill\r\nurl\r\nemail\r\n$AutoFill\r\n");

    const std::string sdf = "$sdffiles\r\n/a.sdf|a.sdf|\r\n$sdffiles\r\n";
    WriteBytes(path, "head\r\n$AutoFill\r\nurl\r\nEmail\r\ntitle\r\nurl\r\n$AutoFill\r\n" + sdf);
    EXPECT_THAT(GetAutoFill(path), ElementsAre("Email", "title", "url"));
    SaveAutoFill(path, {"name"});
    EXPECT_EQ(ReadBytes(path), "head\r\n$AutoFill\r\nname\r\n$AutoFill\r\n" + sdf);

    // Without its closing marker the section ends at the next section.
    WriteBytes(path, "$AutoFill\r\nurl\r\ntitle\r\n" + sdf);
    EXPECT_THAT(GetAutoFill(path), ElementsAre("title", "url"));
    SaveAutoFill(path, {"city", "addre"});
    EXPECT_EQ(ReadBytes(path), "$AutoFill\r\ncity\r\naddre\r\n$AutoFill\r\n" + sdf);

    WriteBytes(path, sdf);
    EXPECT_TRUE(GetAutoFill(path).empty());
    SaveAutoFill(path, {"url"});
    EXPECT_EQ(ReadBytes(path), sdf + "$AutoFill\r\nurl\r\n$AutoFill\r\n");
}

TEST_F(ProfilesTest, GetSDFfilesSortsWithoutCaseAndDropsExactDuplicates) {
    List files{"kept"};
    EXPECT_FALSE(GetSDFfiles(path, files)); // a missing file leaves the list as it was
    EXPECT_THAT(files, ElementsAre("kept"));
    WriteBytes(path, "$AutoFill\r\nurl\r\n$AutoFill\r\n");
    files = {"stale"};
    EXPECT_TRUE(GetSDFfiles(path, files));
    EXPECT_TRUE(files.empty());

    WriteBytes(path, "$AutoFill\r\n$AutoFill\r\n$sdffiles\r\n/a/Zed.sdf|Zed.sdf|\r\n/a/beta.sdf|"
                     "beta.sdf|\r\n/a/Beta.sdf|Beta.sdf|\r\n/a/beta.sdf|beta.sdf|\r\n$sdffiles\r\n"
                     "/after.sdf|after.sdf|\r\n");
    EXPECT_TRUE(GetSDFfiles(path, files));
    EXPECT_THAT(KnownFilePaths(files), ElementsAre("/a/Beta.sdf", "/a/beta.sdf", "/a/Zed.sdf"));
    EXPECT_EQ(files[0], "/a/Beta.sdf|Beta.sdf|");

    // An unclosed section runs to the end of the file, its last line included.
    WriteBytes(path, "$sdffiles\r\n/z.sdf|z.sdf|\r\n/y.sdf|y.sdf|\r\n");
    EXPECT_TRUE(GetSDFfiles(path, files));
    EXPECT_THAT(files, ElementsAre("/y.sdf|y.sdf|", "/z.sdf|z.sdf|"));
}

TEST_F(ProfilesTest, WriteKnownFilesReplacesOnlyTheSection) {
    const List files{"/a.sdf|a.sdf|", "/b.sdf|b.sdf|"};
    const std::string section = "$sdffiles\r\n/a.sdf|a.sdf|\r\n/b.sdf|b.sdf|\r\n$sdffiles\r\n";
    WriteKnownFiles(path, files);
    EXPECT_FALSE(FileExists(path));

    WriteBytes(path, "$sdffiles\r\n/old.sdf|old.sdf|\r\n$sdffiles\r\n$AutoFill\r\nurl\r\ntail\n");
    WriteKnownFiles(path, files);
    EXPECT_EQ(ReadBytes(path), section + "$AutoFill\r\nurl\r\ntail\r\n");
    List back;
    EXPECT_TRUE(GetSDFfiles(path, back));
    EXPECT_EQ(back, files);

    WriteBytes(path, "$AutoFill\r\nurl\r\n$AutoFill\r\n");
    WriteKnownFiles(path, files);
    EXPECT_EQ(ReadBytes(path), "$AutoFill\r\nurl\r\n$AutoFill\r\n" + section);

    WriteBytes(path, "head\r\n$sdffiles\r\n/old.sdf|old.sdf|\r\n");
    WriteKnownFiles(path, files);
    EXPECT_EQ(ReadBytes(path), "head\r\n" + section);
    WriteKnownFiles(path, {});
    EXPECT_EQ(ReadBytes(path), "head\r\n$sdffiles\r\n$sdffiles\r\n");
}

TEST(KnownFileListTest, AddAndRemoveMatchWholePath) {
    List files{"/a/beta.sdf|beta.sdf|", "/a/Zed.sdf|Zed.sdf|"};
    EXPECT_TRUE(AddKnownFile(files, "/a/Gamma.sdf"));
    EXPECT_FALSE(AddKnownFile(files, "/a/beta.sdf"));
    EXPECT_TRUE(AddKnownFile(files, "/a/Beta.sdf"));
    EXPECT_TRUE(AddKnownFile(files, "/a/beta"));
    EXPECT_THAT(files,
                ElementsAre("/a/Beta.sdf|Beta.sdf|", "/a/beta.sdf|beta.sdf|", "/a/beta|beta|",
                            "/a/Gamma.sdf|Gamma.sdf|", "/a/Zed.sdf|Zed.sdf|"));
    files = {"/a/x.sdf|x.sdf|", "/a/x.sdf|other|", "/a/y.sdf|y.sdf|"};
    EXPECT_EQ(RemoveKnownFile(files, "/a/x"), -1);
    EXPECT_EQ(RemoveKnownFile(files, "/a/y.sdf"), 2);
    EXPECT_EQ(RemoveKnownFile(files, "/a/x.sdf"), 0);
    EXPECT_THAT(files, ElementsAre("/a/x.sdf|other|"));
}

TEST(ProfileRowListTest, ListsRowsAndTakesTheirIdentifiersOutOfTheFreeList) {
    const LineList rows = {"1",
                           "E|HALF|Alpha|Ident1|some text|",
                           "E|HALF|Beta|None||",
                           "1",
                           "2",
                           "M|WHOLE|Gamma|Ident2||",
                           "2"};
    std::vector<std::string> free = {"Ident1", "Ident2", "Ident3"};
    EXPECT_EQ(ProfileRowList(rows, free),
              (std::vector<std::string>{"Row 1: Alpha, Beta", "Row 2: Gamma"}));
    EXPECT_EQ(free, std::vector<std::string>{"Ident3"});
}

} // namespace
} // namespace siteherald
