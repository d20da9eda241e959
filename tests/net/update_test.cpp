// The version check and the data update, in process with a scripted UI, against a static HTTP
// server (python3 -m http.server) on 127.0.0.1.

#include "core/settings_store.h"
#include "net/data_update.h"
#include "net/version_check.h"
#include "net_harness.h"

#include <gmock/gmock.h>

namespace siteherald {
namespace {

using ::testing::ElementsAre;
using namespace testing;
using Strings = std::vector<std::string>;

const std::string kViewQuestion =
    "info? A newer version is available for download. View information?";
const std::string kMandatoryQuestion =
    "info? You must upgrade to a newer version of Siteherald. This version will cease to "
    "function properly due to the mandatory upgrade. Would you like to download the upgrade "
    "now?";

int VersionNumber() {
    return IniReadInteger("Main", "VersionNumber", -1);
}

TEST(VersionCheckTest, NewerVersionIsAnnouncedOnce) {
    ScopedSettings settings;
    ScriptedUpdateUi ui;
    const LineList file{"176", "http://127.0.0.1/siteherald/new.html"};
    ui.answers = {false};
    ProcessUpdate(file, ui);
    EXPECT_THAT(ui.events, ElementsAre("status: ", kViewQuestion));
    EXPECT_EQ(VersionNumber(), 176);
    IniWriteInteger("Main", "VersionNumber", 175);
    ui.answers = {true};
    ProcessUpdate(file, ui);
    ProcessUpdate(file, ui);
    EXPECT_THAT(ui.events, ElementsAre("status: ", kViewQuestion, "status: ", kViewQuestion,
                                       "open: http://127.0.0.1/siteherald/new.html", "status: "));
    EXPECT_EQ(VersionNumber(), 176);
}

TEST(VersionCheckTest, MandatoryUpgradeIsRememberedAndEndsEachStartTakenOrNot) {
    const std::string offered = "http://127.0.0.1/shupgrade.bin";
    for (const bool take : {true, false}) {
        SCOPED_TRACE(take ? "taken" : "declined");
        ScopedSettings settings;
        ScriptedUpdateUi ui;
        ui.answers = {take};
        ProcessUpdate({"176", offered, "$Must Change$"}, ui);
        Strings events = {"status: ", kMandatoryQuestion, "quit"};
        if (take)
            events.insert(events.begin() + 2, "open: " + offered);
        EXPECT_EQ(ui.events, events);
        EXPECT_EQ(IniReadString("Updates", "MDNV", ""), "5H2W8N1P6G3T9R");
        EXPECT_EQ(IniReadString("Updates", "NVD", "unset"), take ? offered : "unset");
        EXPECT_EQ(VersionNumber(), 176);
        ui.events.clear();
        EXPECT_TRUE(MandatoryUpgradePending(ui));
        EXPECT_THAT(ui.events,
                    ElementsAre("info! You must download an upgrade to the version of Siteherald "
                                "that you are using. Siteherald will not function properly until "
                                "this has been done.",
                                "open: " + (take ? offered
                                                 : "ftp://siteherald.example/pub/progs/"
                                                   "shupgrade.exe"),
                                "quit"));
    }
}

TEST(VersionCheckTest, NoNewsOrOtherThirdLineIsSilent) {
    ScopedSettings settings;
    const std::pair<LineList, int> rows[] = {
        {{}, -1},
        {{"17x6", "http://127.0.0.1/"}, -1},
        {{"", "http://127.0.0.1/"}, -1},
        {{"version 176"}, -1},
        {{"175", "http://127.0.0.1/"}, -1},
        {{"174"}, -1},
        {{"176", "http://127.0.0.1/new.html", "$must change$"}, 176}, // recorded, no upgrade
    };
    for (const auto& [file, version] : rows) {
        SCOPED_TRACE(file.empty() ? "(empty)" : file[0]);
        ScriptedUpdateUi ui;
        ProcessUpdate(file, ui);
        EXPECT_THAT(ui.events, ElementsAre("status: "));
        EXPECT_EQ(VersionNumber(), version);
        EXPECT_EQ(FileExists(settings.iniPath()), version > 0);
        EXPECT_FALSE(MandatoryUpgradePending(ui));
    }
}

TEST(VersionCheckTest, CheckNewVersionReadsTheFileFromVersionUpdate) {
    ScopedSettings settings;
    ScriptedUpdateUi ui;
    StaticHttpServer server;
    ASSERT_TRUE(server.running());
    server.Put("update.upd", "176\nhttp://127.0.0.1/new.html\n");
    IniWriteString("Main", "VersionUpdate", server.url("update.upd"));
    THttpCli client;
    ui.answers = {true};
    CheckNewVersion(client, true, ui);
    EXPECT_THAT(ui.events, ElementsAre("status: Checking for newer version...",
                                       "status: ", "status: ", kViewQuestion,
                                       "open: http://127.0.0.1/new.html"));
    EXPECT_EQ(VersionNumber(), 176);

    // A missing version file, and a server that is gone, are silent.
    IniWriteString("Main", "VersionUpdate", server.url("none.upd"));
    ui.events.clear();
    CheckNewVersion(client, false, ui);
    IniWriteString("Main", "VersionUpdate",
                   "http://127.0.0.1:" + std::to_string(FreePort()) + "/update.upd");
    CheckNewVersion(client, false, ui);
    EXPECT_TRUE(ui.events.empty());
    EXPECT_THAT(server.Requests(), ElementsAre("update.upd", "none.upd"));
}

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

TEST(FinishUpdateTest, MalformedFilesChangeNothing) {
    ScopedSettings settings;
    TempDir data;
    WriteBytes(data / "sedata.dat", kAlpha);
    const std::pair<LineList, std::string> rows[] = {
        {{}, kCorrupted},
        {{"$UPDATE$"}, kCorrupted},
        {{"<html>"}, kCorrupted},
        {{"<html>", "$UPDATE$"}, "bold: No new updates available."},
        {{"$UPDATE$", "$Delta$", "Delta|x|", "$Delta$"}, kCorrupted},
        {{"$Delta$", "Delta|x|", "$Delta$", "$UPDATE$"}, kCorrupted},
        {{"$update$", "$UPDATE$"}, kCorrupted},
        {{"$UPDATE$", "$UPDATE$ "}, kCorrupted},
        {{"$UPDATE$", "$UPDATE$"}, kProcessing},
    };
    for (const auto& [lines, event] : rows) {
        SCOPED_TRACE(lines.empty() ? "(empty)" : lines[0]);
        ScriptedUpdateUi ui;
        FinishUpdate(lines, data.path(), UpdatePolicy::Ask, ui);
        EXPECT_THAT(ui.events, ElementsAre(event));
    }
    EXPECT_EQ(ReadBytes(data / "sedata.dat"), kAlpha);
    EXPECT_FALSE(FileExists(settings.iniPath())); // Filenumber untouched
}

TEST(FinishUpdateTest, EachPolicyMergesTheUpdateIntoTheEngineFile) {
    {
        ScopedSettings settings;
        EXPECT_EQ(ReadUpdatePolicy(), UpdatePolicy::Ask);
        IniWriteBool("Updates", "Automate", true);
        EXPECT_EQ(ReadUpdatePolicy(), UpdatePolicy::Automate);
        IniWriteBool("Updates", "Skip", true);
        EXPECT_EQ(ReadUpdatePolicy(), UpdatePolicy::SkipKnown);
    }
    // Known Beta, a line outside any record, new Delta, known Alpha; LF line ends as a server
    // may send them.
    const std::string update = kBeta2 + "stray line\n" + kDelta + kAlpha2;
    const Strings changed = {"status: ", "engines changed"};
    const auto asked = [&](Strings names) {
        Strings events = {kProcessing};
        for (const std::string& name : names)
            events.push_back("confirm? Overwrite search engine data for " + name + "?");
        events.insert(events.end(), changed.begin(), changed.end());
        return events;
    };
    const struct {
        const char* name;
        std::string engines, update; // engines "": no sedata.dat
        UpdatePolicy policy;
        std::deque<bool> answers; // overwrite?
        Strings events;
        std::string after;
    } rows[] = {
        {"ask",
         kAlpha + kBeta + kGamma,
         update,
         UpdatePolicy::Ask,
         {true, false},
         asked({"Beta", "Alpha"}),
         kAlpha + kGamma + kBeta2 + kDelta},
        {"automate: replaced engines move to the end",
         kAlpha + kBeta + kGamma,
         update,
         UpdatePolicy::Automate,
         {},
         asked({}),
         kGamma + kBeta2 + kDelta + kAlpha2},
        {"skip: only new engines",
         kAlpha + kBeta + kGamma,
         update,
         UpdatePolicy::SkipKnown,
         {},
         asked({}),
         kAlpha + kBeta + kGamma + kDelta},
        // The second opening no longer finds Beta: no second question.
        {"same engine twice copies the first record twice",
         kAlpha + kBeta + kGamma,
         kBeta2 + kBeta3,
         UpdatePolicy::Ask,
         {true},
         asked({"Beta"}),
         kAlpha + kGamma + kBeta2 + kBeta2},
        {"no engine file: every record is new",
         "",
         update,
         UpdatePolicy::Ask,
         {},
         asked({}),
         kBeta2 + kDelta + kAlpha2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ScopedSettings settings;
        TempDir data;
        if (!row.engines.empty())
            WriteBytes(data / "sedata.dat", row.engines);
        ScriptedUpdateUi ui;
        ui.answers = row.answers;
        FinishUpdate(SplitLines("$UPDATE$\n" + row.update + "$UPDATE$\n"), data.path(), row.policy,
                     ui);
        EXPECT_EQ(ui.events, row.events);
        EXPECT_TRUE(ui.answers.empty());
        EXPECT_EQ(ReadBytes(data / "sedata.dat"), row.after);
        EXPECT_EQ(IniReadInteger("Updates", "Filenumber", -1), 2);
    }
}

// RunDataUpdate against python3 -m http.server; the server's folder starts with the files
// of tests/fixtures/update (sedata.dat, profs.dat with LF line ends, 000007.upd).
class RunDataUpdateTest : public ::testing::Test {
protected:
    ScopedSettings settings;
    TempDir data;
    StaticHttpServer server;
    ScriptedUpdateUi ui;
    THttpCli client;
    const std::string oldEngines = ReadBytes(SITEHERALD_FIXTURES_DIR "/data/sedata.dat");
    const Strings checked = {"status: Checking for newer version...", "status: ", "status: "};

    void SetUp() override {
        ASSERT_TRUE(server.running());
        for (const char* name : {"sedata.dat", "profs.dat", "000007.upd"})
            server.Put(name, Fixture(name));
        server.Put("version.upd", "175\r\nhttp://127.0.0.1/new.html\r\n");
        IniWriteString("Main", "VersionUpdate", server.url("version.upd"));
        IniWriteString("Updates", "URL", server.url(""));
        IniWriteBool("Updates", "sedata.dat", true);
        IniWriteBool("Updates", "profs.dat", true);
        WriteBytes(data / "sedata.dat", oldEngines);
    }
    static std::string Fixture(const std::string& name) {
        return ReadBytes(SITEHERALD_FIXTURES_DIR "/update/" + name);
    }
    Strings Events() {
        RunDataUpdate(client, data.path(), ui);
        const auto first = ui.events.begin() + std::min(ui.events.size(), checked.size());
        EXPECT_EQ(Strings(ui.events.begin(), first), checked) << "the version check first";
        return Strings(first, ui.events.end());
    }
};

TEST_F(RunDataUpdateTest, VersionCheckThenWholeFilesThenUpdateFile) {
    server.Put("version.upd", "176\r\nhttp://127.0.0.1/new.html\r\n");
    IniWriteInteger("Updates", "Filenumber", 7);
    ui.answers = {false, true}; // no version information; overwrite Lighthouse Search
    EXPECT_THAT(Events(),
                ElementsAre(kViewQuestion, "status: Downloading data files...",
                            "status: ", "engines changed", "status: Downloading data files...",
                            "status: ", "status: ", "status: Downloading search engine data...",
                            "status: ", kProcessing,
                            "confirm? Overwrite search engine data for Lighthouse Search?",
                            "status: ", "engines changed"));
    EXPECT_THAT(server.Requests(),
                ElementsAre("version.upd", "sedata.dat", "profs.dat", "000007.upd"));
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
    EXPECT_EQ(VersionNumber(), 176);
}

TEST_F(RunDataUpdateTest, MissingWholeFileKeepsItsFlagAndSkipsTheOthers) {
    server.Remove("sedata.dat");
    EXPECT_THAT(Events(), ElementsAre("status: Downloading data files...", "status: ", "status: ",
                                      "status: Downloading search engine data...",
                                      "status: ", "bold: No new updates available.",
                                      "error! Siteherald was unable to download certain files.\r\n"
                                      "Please check your connection or try again later.\r\n"
                                      "Unable to retrieve \"" +
                                          server.url("sedata.dat") + "\": 404 File not found"));
    EXPECT_THAT(server.Requests(), ElementsAre("version.upd", "sedata.dat", "000001.upd"));
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
    const std::string tail =
        " is corrupted. Please try again later or contact support@siteherald.example for help.";
    EXPECT_THAT(Events(), ElementsAre("status: Downloading data files...",
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
