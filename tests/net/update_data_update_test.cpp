#include "core/settings_store.h"
#include "net/data_update.h"
#include "update_test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace siteherald {
namespace {

using ::testing::ElementsAre;
using testing::ReadBytes;
using testing::ScopedSettings;
using testing::ScriptedUpdateUi;
using testing::TempDir;
using testing::WriteBytes;

const std::string kAlpha = "$Alpha$\r\nAlpha|http://alpha.example/add|\r\nurl|u|\r\n$Alpha$\r\n";
const std::string kBeta = "$Beta$\r\nBeta|http://beta.example/add|\r\n$Beta$\r\n";
const std::string kGamma = "$Gamma$\r\nGamma|http://gamma.example/add|\r\n$Gamma$\r\n";
const std::string kAlpha2 = "$Alpha$\r\nAlpha|http://alpha.example/v2|\r\n$Alpha$\r\n";
const std::string kBeta2 = "$Beta$\r\nBeta|http://beta.example/v2|\r\nurl|u|\r\n$Beta$\r\n";
const std::string kBeta3 = "$Beta$\r\nBeta|http://beta.example/v3|\r\n$Beta$\r\n";
const std::string kDelta = "$Delta$\r\nDelta|http://delta.example/add|\r\n$Delta$\r\n";

const std::string kProcessing = "status: Processing updated information.";
const std::string kCorrupted = "error! The update file is corrupted. Please try again or use "
                               "e-mail support for help.";

// Known Beta, a line outside any record, new Delta, known Alpha; LF line ends as a server
// may send them.
LineList MainUpdate() {
    return SplitLines("$UPDATE$\n" + kBeta2 + "stray line\n" + kDelta + kAlpha2 + "$UPDATE$\n");
}

class FinishUpdateTest : public ::testing::Test {
protected:
    ScopedSettings settings;
    TempDir data;
    ScriptedUpdateUi ui;
    std::string se = data / "sedata.dat";

    void SetUp() override { WriteBytes(se, kAlpha + kBeta + kGamma); }
    int Filenumber() { return IniReadInteger("Updates", "Filenumber", -1); }
};

TEST(UpdateFileNameTest, SixDigitsOrMore) {
    EXPECT_EQ(UpdateFileName(1), "000001.upd");
    EXPECT_EQ(UpdateFileName(7), "000007.upd");
    EXPECT_EQ(UpdateFileName(1234567), "1234567.upd");
}

TEST_F(FinishUpdateTest, MalformedFilesChangeNothing) {
    const struct {
        LineList lines;
        std::string event;
    } cases[] = {
        {{}, kCorrupted},
        {{"$UPDATE$"}, kCorrupted},
        {{"<html>"}, kCorrupted},
        {{"<html>", "$UPDATE$"}, "bold: No new updates available."},
        {{"$UPDATE$", "$Delta$", "Delta|x|", "$Delta$"}, kCorrupted},
        {{"$Delta$", "Delta|x|", "$Delta$", "$UPDATE$"}, kCorrupted},
        {{"$update$", "$UPDATE$"}, kCorrupted},
        {{"$UPDATE$", "$UPDATE$ "}, kCorrupted},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.lines.empty() ? "(empty)" : c.lines[0]);
        ui.events.clear();
        FinishUpdate(c.lines, data.path(), UpdatePolicy::Ask, ui);
        EXPECT_THAT(ui.events, ElementsAre(c.event));
    }
    ui.events.clear();
    FinishUpdate({"$UPDATE$", "$UPDATE$"}, data.path(), UpdatePolicy::Ask, ui);
    EXPECT_THAT(ui.events, ElementsAre(kProcessing));

    EXPECT_EQ(ReadBytes(se), kAlpha + kBeta + kGamma);
    EXPECT_FALSE(FileExists(settings.iniPath())); // Filenumber untouched
}

TEST_F(FinishUpdateTest, AskPolicyAsksInFileOrderAndKeepsDeclinedEngine) {
    IniWriteInteger("Updates", "Filenumber", 7);
    ui.answers = {true, false}; // overwrite Beta, keep Alpha
    FinishUpdate(MainUpdate(), data.path(), UpdatePolicy::Ask, ui);
    EXPECT_THAT(ui.events,
                ElementsAre(kProcessing, "confirm? Overwrite search engine data for Beta?",
                            "confirm? Overwrite search engine data for Alpha?",
                            "status: ", "engines changed"));
    EXPECT_EQ(ReadBytes(se), kAlpha + kGamma + kBeta2 + kDelta);
    EXPECT_EQ(Filenumber(), 8);
}

TEST_F(FinishUpdateTest, AutomateReplacesWithoutAskingAndMovesEnginesToTheEnd) {
    FinishUpdate(MainUpdate(), data.path(), UpdatePolicy::Automate, ui);
    EXPECT_THAT(ui.events, ElementsAre(kProcessing, "status: ", "engines changed"));
    EXPECT_EQ(ReadBytes(se), kGamma + kBeta2 + kDelta + kAlpha2);
    EXPECT_EQ(Filenumber(), 2);
}

TEST_F(FinishUpdateTest, SkipTakesOnlyNewEngines) {
    IniWriteBool("Updates", "Skip", true);
    IniWriteBool("Updates", "Automate", true);
    ASSERT_EQ(ReadUpdatePolicy(), UpdatePolicy::SkipKnown);
    FinishUpdate(MainUpdate(), data.path(), ReadUpdatePolicy(), ui);
    EXPECT_THAT(ui.events, ElementsAre(kProcessing, "status: ", "engines changed"));
    EXPECT_EQ(ReadBytes(se), kAlpha + kBeta + kGamma + kDelta);
    EXPECT_EQ(Filenumber(), 2);
}

TEST_F(FinishUpdateTest, SameEngineTwiceCopiesTheFirstRecordTwice) {
    ui.answers = {true}; // the second opening no longer finds Beta: no second question
    FinishUpdate(SplitLines("$UPDATE$\r\n" + kBeta2 + kBeta3 + "$UPDATE$\r\n"), data.path(),
                 UpdatePolicy::Ask, ui);
    EXPECT_EQ(ReadBytes(se), kAlpha + kGamma + kBeta2 + kBeta2);
    EXPECT_TRUE(ui.answers.empty());
}

TEST_F(FinishUpdateTest, WithoutEngineFileEveryRecordIsNew) {
    std::remove(se.c_str());
    FinishUpdate(MainUpdate(), data.path(), UpdatePolicy::Ask, ui);
    EXPECT_EQ(ReadBytes(se), kBeta2 + kDelta + kAlpha2);
    EXPECT_EQ(Filenumber(), 2);
}

// RunDataUpdate against python3 -m http.server; the server's folder starts with the files
// of tests/fixtures/update (sedata.dat, profs.dat with LF line ends, 000007.upd).
class RunDataUpdateTest : public ::testing::Test {
protected:
    ScopedSettings settings;
    TempDir data;
    testing::StaticHttpServer server;
    ScriptedUpdateUi ui;
    THttpCli client;
    const std::string oldEngines = ReadBytes(SITEHERALD_FIXTURES_DIR "/data/sedata.dat");

    void SetUp() override {
        ASSERT_TRUE(server.running());
        for (const char* name : {"sedata.dat", "profs.dat", "000007.upd"})
            server.Put(name, Fixture(name));
        server.Put("version.upd", "175\r\nhttp://127.0.0.1/new.html\r\n");
        IniWriteString("Main", "VersionUpdate", server.url("version.upd"));
        IniWriteString("Updates", "URL", server.url(""));
        WriteBytes(data / "sedata.dat", oldEngines);
    }
    static std::string Fixture(const std::string& name) {
        return ReadBytes(SITEHERALD_FIXTURES_DIR "/update/" + name);
    }
    void Run() { RunDataUpdate(client, data.path(), ui); }
};

TEST_F(RunDataUpdateTest, VersionCheckThenWholeFilesThenUpdateFile) {
    server.Put("version.upd", "176\r\nhttp://127.0.0.1/new.html\r\n");
    IniWriteBool("Updates", "sedata.dat", true);
    IniWriteBool("Updates", "profs.dat", true);
    IniWriteInteger("Updates", "Filenumber", 7);
    ui.answers = {false, true}; // no version information; overwrite Lighthouse Search
    Run();
    EXPECT_THAT(server.Requests(),
                ElementsAre("version.upd", "sedata.dat", "profs.dat", "000007.upd"));
    EXPECT_THAT(ui.events,
                ElementsAre("status: Checking for newer version...", "status: ", "status: ",
                            "info? A newer version is available for download. View information?",
                            "status: Downloading data files...", "status: ", "engines changed",
                            "status: Downloading data files...", "status: ", "status: ",
                            "status: Downloading search engine data...", "status: ", kProcessing,
                            "confirm? Overwrite search engine data for Lighthouse Search?",
                            "status: ", "engines changed"));
    EXPECT_EQ(ReadBytes(data / "profs.dat"),
              "$AutoFill\r\nemail\r\ntitle\r\nurl\r\n$AutoFill\r\n$sdffiles\r\n$sdffiles\r\n");
    // The fetched sedata.dat with the update merged: Quay Index, then the replaced
    // Lighthouse Search and the new Beacon Finder from 000007.upd.
    const std::string whole = Fixture("sedata.dat");
    const std::string update = Fixture("000007.upd");
    const std::string marker = "$UPDATE$\r\n";
    EXPECT_EQ(ReadBytes(data / "sedata.dat"),
              whole.substr(whole.find("$Quay Index$")) +
                  update.substr(marker.size(), update.size() - 2 * marker.size()));
    EXPECT_FALSE(IniReadBool("Updates", "sedata.dat", true));
    EXPECT_FALSE(IniReadBool("Updates", "profs.dat", true));
    EXPECT_EQ(IniReadInteger("Updates", "Filenumber", 0), 8);
    EXPECT_EQ(IniReadInteger("Main", "VersionNumber", 0), 176);
}

TEST_F(RunDataUpdateTest, MissingWholeFileKeepsItsFlagAndSkipsTheOthers) {
    server.Remove("sedata.dat");
    IniWriteBool("Updates", "sedata.dat", true);
    IniWriteBool("Updates", "profs.dat", true);
    Run();
    EXPECT_THAT(server.Requests(), ElementsAre("version.upd", "sedata.dat", "000001.upd"));
    EXPECT_THAT(ui.events,
                ElementsAre("status: Checking for newer version...",
                            "status: ", "status: ", "status: Downloading data files...",
                            "status: ", "status: ", "status: Downloading search engine data...",
                            "status: ", "bold: No new updates available.",
                            "error! Siteherald was unable to download certain files.\r\n"
                            "Please check your connection or try again later.\r\n"
                            "Unable to retrieve \"" +
                                server.url("sedata.dat") + "\": 404 File not found"));
    EXPECT_EQ(ReadBytes(data / "sedata.dat"), oldEngines);
    EXPECT_FALSE(FileExists(data / "profs.dat"));
    EXPECT_TRUE(IniReadBool("Updates", "sedata.dat", false));
    EXPECT_TRUE(IniReadBool("Updates", "profs.dat", false));
    EXPECT_EQ(IniReadInteger("Updates", "Filenumber", 0), 0);
}

TEST_F(RunDataUpdateTest, EmptyOrWebPageWholeFileIsCorruptedAndLeftAlone) {
    server.Put("sedata.dat", "");
    server.Put("profs.dat", "<html><body>Moved</body></html>\n");
    WriteBytes(data / "profs.dat", "$AutoFill\r\n$AutoFill\r\n");
    IniWriteBool("Updates", "sedata.dat", true);
    IniWriteBool("Updates", "profs.dat", true);
    Run();
    const std::string tail =
        " is corrupted. Please try again later or contact support@siteherald.example for help.";
    EXPECT_THAT(ui.events, ElementsAre("status: Checking for newer version...",
                                       "status: ", "status: ", "status: Downloading data files...",
                                       "status: ", "error! sedata.dat" + tail,
                                       "status: Downloading data files...",
                                       "status: ", "error! \"profs.dat\"" + tail,
                                       "status: ", "status: Downloading search engine data...",
                                       "status: ", "bold: No new updates available."));
    EXPECT_EQ(ReadBytes(data / "sedata.dat"), oldEngines);
    EXPECT_EQ(ReadBytes(data / "profs.dat"), "$AutoFill\r\n$AutoFill\r\n");
    EXPECT_TRUE(IniReadBool("Updates", "sedata.dat", false));
    EXPECT_TRUE(IniReadBool("Updates", "profs.dat", false));
}

} // namespace
} // namespace siteherald
