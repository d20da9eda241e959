#include "core/engine_records.h"
#include "core/missing_file.h"
#include "core/settings_store.h"
#include "test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace siteherald {
namespace {

using ::testing::ElementsAre;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

// Records of several shapes: a duplicate name, lowercase and empty names, a line that
// only looks like a marker, and text outside any record.
constexpr const char* kEngines = "$Yahoo$\r\n"
                                 "Yahoo|http://y/add|http://y/info|\r\n"
                                 "url|URL|\r\n"
                                 "email||\r\n"
                                 "$Yahoo$\r\n"
                                 "stray line\r\n"
                                 "$altavista$\r\n"
                                 "altavista|http://a/add|\r\n"
                                 "$altavista$\r\n"
                                 "$Yahoo$x$\r\n"
                                 "$$\r\n"
                                 "|http://nameless|\r\n"
                                 "$$\r\n"
                                 "$Excite$\r\n"
                                 "Excite|http://e/|\r\n"
                                 "$Excite$\r\n"
                                 "$Yahoo$\r\n"
                                 "Yahoo|http://second|\r\n"
                                 "$Yahoo$\r\n";

class EngineRecordsTest : public ::testing::Test {
protected:
    TempDir dir;
    std::string se = dir / "sedata.dat";
    std::string changes = dir / "sechanged.sec";
};

TEST_F(EngineRecordsTest, FillSeComboListsEachNameOnceSorted) {
    WriteBytes(se, kEngines);
    LineList records{"stale"};
    std::vector<std::string> names{"stale"};
    ASSERT_TRUE(FillSeCombo(se, records, names));
    EXPECT_THAT(names, ElementsAre("", "altavista", "Excite", "Yahoo"));
    EXPECT_EQ(JoinLines(records), kEngines);

    EXPECT_FALSE(FillSeCombo(dir / "none.dat", records, names));
    EXPECT_TRUE(records.empty());
    EXPECT_TRUE(names.empty());
}

TEST_F(EngineRecordsTest, GetSEDataTakesFirstRecordWithoutMarkers) {
    WriteBytes(se, kEngines);
    LineList record{"stale"};
    ASSERT_EQ(GetSEData(se, "Yahoo", record), RecordLookup::Found);
    EXPECT_THAT(record, ElementsAre("Yahoo|http://y/add|http://y/info|", "url|URL|", "email||"));
    EXPECT_EQ(ParseSEData(record).submission, "http://y/add");
    EXPECT_EQ(ParseSEData(record).info, "http://y/info");

    ASSERT_EQ(GetSEData(se, "altavista", record), RecordLookup::Found);
    EXPECT_THAT(record, ElementsAre("altavista|http://a/add|"));
    EXPECT_EQ(ParseSEData(record).submission, "http://a/add");
    EXPECT_EQ(ParseSEData(record).info, "");

    ASSERT_EQ(GetSEData(se, "", record), RecordLookup::Found);
    EXPECT_THAT(record, ElementsAre("|http://nameless|"));

    EXPECT_EQ(GetSEData(se, "yahoo", record), RecordLookup::NotFound);
    EXPECT_TRUE(record.empty());
    EXPECT_EQ(ParseSEData(record).submission, "");
    EXPECT_EQ(ParseSEData(record).info, "");
}

TEST_F(EngineRecordsTest, RecordWithoutEndMarkerRunsToEndOfFile) {
    WriteBytes(se, "$A$\r\nA|http://a|\r\n$A$\r\n$Tail$\r\nTail|http://t|\r\nf|Name|\r\n$A$\r\n");
    LineList record;
    ASSERT_EQ(GetSEData(se, "Tail", record), RecordLookup::Found);
    EXPECT_THAT(record, ElementsAre("Tail|http://t|", "f|Name|", "$A$"));
}

TEST_F(EngineRecordsTest, MissingOrEmptyFileIsReportedAndFlagged) {
    testing::ScopedSettings settings;
    LineList record{"stale"};
    EXPECT_EQ(GetSEData(se, "Yahoo", record), RecordLookup::FileMissing);
    EXPECT_TRUE(record.empty());
    WriteBytes(se, "");
    EXPECT_EQ(GetSEData(se, "Yahoo", record), RecordLookup::FileMissing);

    MarkMissingFile("sedata.dat");
    EXPECT_TRUE(IniReadBool("Updates", "sedata.dat", false));
    EXPECT_EQ(ReadBytes(settings.iniPath()), "[Updates]\nsedata.dat=1\n");
}

TEST_F(EngineRecordsTest, RemoveSEDeletesOnlyTheFirstRecord) {
    WriteBytes(se, kEngines);
    EXPECT_TRUE(RemoveSE(se, "Yahoo"));
    const std::string all = kEngines;
    const std::string firstYahoo =
        "$Yahoo$\r\nYahoo|http://y/add|http://y/info|\r\nurl|URL|\r\nemail||\r\n$Yahoo$\r\n";
    EXPECT_EQ(ReadBytes(se), all.substr(firstYahoo.size()));

    LineList record;
    ASSERT_EQ(GetSEData(se, "Yahoo", record), RecordLookup::Found);
    EXPECT_THAT(record, ElementsAre("Yahoo|http://second|"));
}

TEST_F(EngineRecordsTest, RemoveSEWithoutEndMarkerOrNameWritesNothing) {
    // LF endings: any rewrite would turn them into CR LF.
    const std::string damaged = "$A$\nA|http://a|\n$A$\n$B$\nB|http://b|\n";
    WriteBytes(se, damaged);
    EXPECT_FALSE(RemoveSE(se, "B"));
    EXPECT_FALSE(RemoveSE(se, "C"));
    EXPECT_EQ(ReadBytes(se), damaged);

    EXPECT_FALSE(RemoveSE(dir / "none.dat", "A"));
    EXPECT_FALSE(FileExists(dir / "none.dat"));
}

TEST(SelectionAfterRemovalTest, StaysOrStepsBack) {
    EXPECT_EQ(SelectionAfterRemoval(0, 3), 0u);
    EXPECT_EQ(SelectionAfterRemoval(1, 2), 1u);
    EXPECT_EQ(SelectionAfterRemoval(2, 2), 1u);
    EXPECT_EQ(SelectionAfterRemoval(0, 0), static_cast<size_t>(-1));
}

TEST_F(EngineRecordsTest, SaveSEDataAppendsNewAndMovesEditedToEnd) {
    const LineList added{"$New$", MakeEngineLine("New", "http://n/", ""), "q|URL|", "$New$"};
    SaveSEData(se, changes, added, false);
    EXPECT_EQ(ReadBytes(se), "$New$\r\nNew|http://n/|\r\nq|URL|\r\n$New$\r\n");
    EXPECT_EQ(ReadBytes(changes), ReadBytes(se));

    WriteBytes(se, kEngines);
    WriteBytes(changes, "older\r\n");
    const LineList edited{"$Yahoo$", MakeEngineLine("Yahoo", "http://y2/", "http://i/"), "$Yahoo$"};
    SaveSEData(se, changes, edited, true);
    const std::string all = kEngines;
    const std::string rest = all.substr(all.find("stray line"));
    const std::string editedBytes = "$Yahoo$\r\nYahoo|http://y2/|http://i/|\r\n$Yahoo$\r\n";
    EXPECT_EQ(ReadBytes(se), rest + editedBytes);
    EXPECT_EQ(ReadBytes(changes), "older\r\n" + editedBytes);

    // Saving it unchanged still moves it and records it again.
    SaveSEData(se, changes, {"$Excite$", "Excite|http://e/|", "$Excite$"}, true);
    SaveSEData(se, changes, {"$Excite$", "Excite|http://e/|", "$Excite$"}, true);
    const std::string excite = "$Excite$\r\nExcite|http://e/|\r\n$Excite$\r\n";
    std::string expected = rest + editedBytes;
    expected.erase(expected.find(excite), excite.size());
    EXPECT_EQ(ReadBytes(se), expected + excite);
    EXPECT_EQ(ReadBytes(changes), "older\r\n" + editedBytes + excite + excite);

    SaveSEData(se, changes, {}, true);
    EXPECT_EQ(ReadBytes(se), expected + excite);
}

TEST_F(EngineRecordsTest, SaveSEDataOverDamagedRecordKeepsFollowingEngines) {
    WriteBytes(se, "$A$\r\nA|http://a|\r\n$A$\r\n$B$\r\nB|http://b|\r\nf|URL|\r\n"
                   "$C$\r\nC|http://c|\r\n$C$\r\n");
    SaveSEData(se, changes, {"$B$", "B|http://b2|", "$B$"}, true);
    EXPECT_EQ(ReadBytes(se), "$A$\r\nA|http://a|\r\n$A$\r\n$C$\r\nC|http://c|\r\n$C$\r\n"
                             "$B$\r\nB|http://b2|\r\n$B$\r\n");
}

TEST(EngineLineTest, MakeEngineLineAndGetFields) {
    EXPECT_EQ(MakeEngineLine("N", "http://s/", ""), "N|http://s/|");
    EXPECT_EQ(MakeEngineLine("N", "http://s/", "http://i/"), "N|http://s/|http://i/|");
    EXPECT_EQ(MakeEngineLine("", "", ""), "||");
    EXPECT_THAT(GetFields({"N|http://s/|", "url|URL|", "pw||", "odd"}),
                ElementsAre("url", "pw", "$ERROR$"));
    EXPECT_TRUE(GetFields({"N|http://s/|"}).empty());
    EXPECT_TRUE(GetFields({}).empty());
}

TEST_F(EngineRecordsTest, FindsLastOfTenThousandEngines) {
    LineList lines;
    for (int i = 0; i < 10000; ++i) {
        const std::string name = "Engine " + std::to_string(i);
        lines.insert(lines.end(),
                     {EngineMarker(name), name + "|http://e" + std::to_string(i) + "/|", "url|URL|",
                      "email|Email|", EngineMarker(name)});
    }
    SaveLineFile(se, lines);
    LineList record;
    ASSERT_EQ(GetSEData(se, "Engine 9999", record), RecordLookup::Found);
    EXPECT_THAT(record, ElementsAre("Engine 9999|http://e9999/|", "url|URL|", "email|Email|"));
}

} // namespace
} // namespace siteherald
