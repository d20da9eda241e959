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

const auto VersionNumber = [] { return IniReadInteger("Main", "VersionNumber", -1); };

TEST(VersionCheckTest, MandatoryUpgradeIsRememberedAndEndsEachStartTakenOrNot) {
    const std::string offered = "http://127.0.0.1/shupgrade.bin";
    for (const bool take : {true, false}) {
        SCOPED_TRACE(take ? "taken" : "declined");
        ScopedSettings settings;
        ScriptedUpdateUi ui;
        ui.answers = {take};
        ProcessUpdate({"176", offered, "$Must Change$"}, ui);
        EXPECT_EQ(ui.events,
                  (take ? Strings{"status: ", kMandatoryQuestion, "open: " + offered, "quit"}
                        : Strings{"status: ", kMandatoryQuestion, "quit"}));
        EXPECT_EQ(IniReadString("Updates", "MDNV", ""), "5H2W8N1P6G3T9R");
        EXPECT_EQ(IniReadString("Updates", "NVD", "unset"), take ? offered : "unset");
        EXPECT_EQ(VersionNumber(), 176);
        ui.events.clear();
        EXPECT_TRUE(MandatoryUpgradePending(ui));
        const std::string open =
            take ? offered : "ftp://siteherald.example/pub/progs/shupgrade.exe";
        EXPECT_THAT(ui.events, ElementsAre("info! You must download an upgrade to the version of "
                                           "Siteherald that you are using. Siteherald will not "
                                           "function properly until this has been done.",
                                           "open: " + open, "quit"));
    }
}

// In order, on the same settings: files without news, or whose third line is not the
// mandatory upgrade's, are silent; a newer version is offered once.
TEST(VersionCheckTest, NoNewsIsSilentAndANewerVersionIsOfferedOnce) {
    ScopedSettings settings;
    const std::string url = "http://127.0.0.1/new.html";
    // The events for `file` (its lines split at "\n"), which leaves `version` recorded.
    const auto process = [&](const std::string& file, int version, std::deque<bool> answers = {}) {
        ScriptedUpdateUi ui;
        ui.answers = answers;
        ProcessUpdate(SplitLines(file), ui);
        EXPECT_EQ(VersionNumber(), version) << file;
        EXPECT_EQ(FileExists(settings.iniPath()), version > 0) << file;
        const Strings events = ui.events;
        EXPECT_FALSE(MandatoryUpgradePending(ui)) << file;
        return events;
    };
    const Strings quiet = {"status: "};
    for (const std::string& file :
         Strings{"", "17x6\n" + url, "\n" + url, "version 176", "175\n" + url, "174"})
        EXPECT_EQ(process(file, -1), quiet) << file;
    EXPECT_EQ(process("176\n" + url + "\n$must change$", 176), quiet); // recorded, no upgrade
    EXPECT_EQ(process("177\n" + url, 177, {false}), Strings({"status: ", kViewQuestion}));
    EXPECT_EQ(process("177\n" + url, 177), quiet);
    EXPECT_EQ(process("178\n" + url, 178, {true}),
              Strings({"status: ", kViewQuestion, "open: " + url}));
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
    const auto finish = [&](const std::string& file) { // its lines split at "\n"
        ScriptedUpdateUi ui;
        FinishUpdate(SplitLines(file), data.path(), UpdatePolicy::Ask, ui);
        return ui.events;
    };
    for (const char* file :
         {"", "$UPDATE$", "<html>", "$UPDATE$\n$Delta$\nDelta|x|\n$Delta$",
          "$Delta$\nDelta|x|\n$Delta$\n$UPDATE$", "$update$\n$UPDATE$", "$UPDATE$\n$UPDATE$ "})
        EXPECT_THAT(finish(file), ElementsAre(kCorrupted)) << file;
    EXPECT_THAT(finish("<html>\n$UPDATE$"), ElementsAre("bold: No new updates available."));
    EXPECT_THAT(finish("$UPDATE$\n$UPDATE$"), ElementsAre(kProcessing));
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
    const std::string update = kBeta2 + "stray line\n" + kDelta + kAlpha2,
                      abg = kAlpha + kBeta + kGamma;
    const auto asked = [&](Strings names) {
        Strings events = {kProcessing};
        for (const std::string& name : names)
            events.push_back("confirm? Overwrite search engine data for " + name + "?");
        events.insert(events.end(), {"status: ", "engines changed"});
        return events;
    };
    using P = UpdatePolicy;
    // The events and the engine file after `records` merged into `engines` ("": no sedata.dat),
    // answering the questions "overwrite?" with `answers`.
    const auto merge = [](const std::string& engines, const std::string& records, P policy,
                          std::deque<bool> answers) {
        ScopedSettings settings;
        TempDir data;
        if (!engines.empty())
            WriteBytes(data / "sedata.dat", engines);
        ScriptedUpdateUi ui;
        ui.answers = answers;
        FinishUpdate(SplitLines("$UPDATE$\n" + records + "$UPDATE$\n"), data.path(), policy, ui);
        EXPECT_TRUE(ui.answers.empty());
        EXPECT_EQ(IniReadInteger("Updates", "Filenumber", -1), 2);
        return std::pair(ui.events, ReadBytes(data / "sedata.dat"));
    };
    EXPECT_EQ(merge(abg, update, P::Ask, {true, false}),
              std::pair(asked({"Beta", "Alpha"}), kAlpha + kGamma + kBeta2 + kDelta));
    // Automate: replaced engines move to the end. Skip: only new engines.
    EXPECT_EQ(merge(abg, update, P::Automate, {}),
              std::pair(asked({}), kGamma + kBeta2 + kDelta + kAlpha2));
    EXPECT_EQ(merge(abg, update, P::SkipKnown, {}), std::pair(asked({}), abg + kDelta));
    // The same engine twice copies the first record twice: the second opening no longer
    // finds Beta, so there is no second question.
    EXPECT_EQ(merge(abg, kBeta2 + kBeta3, P::Ask, {true}),
              std::pair(asked({"Beta"}), kAlpha + kGamma + kBeta2 + kBeta2));
    // No engine file: every record is new.
    EXPECT_EQ(merge("", update, P::Ask, {}), std::pair(asked({}), kBeta2 + kDelta + kAlpha2));
}

// RunDataUpdate against python3 -m http.server, whose folder holds a version file and the
// files of tests/fixtures/update (sedata.dat, profs.dat with LF line ends, 000007.upd). A
// missing or damaged whole file is the update command's test (tests/e2e).
TEST(RunDataUpdateTest, VersionCheckThenWholeFilesThenUpdateFile) {
    StaticHttpServer server;
    ASSERT_TRUE(server.running());
    const auto fixture = [](const std::string& name) {
        return ReadBytes(SITEHERALD_FIXTURES_DIR "/update/" + name);
    };
    const std::string whole = fixture("sedata.dat"), update = fixture("000007.upd");
    for (const char* name : {"sedata.dat", "profs.dat", "000007.upd"})
        server.Put(name, fixture(name));
    server.Put("version.upd", "176\r\nhttp://127.0.0.1/new.html\r\n");
    {
        ScopedSettings settings;
        TempDir dir;
        ScriptedUpdateUi ui;
        THttpCli client;
        IniWriteString("Main", "VersionUpdate", server.url("version.upd"));
        IniWriteString("Updates", "URL", server.url(""));
        IniWriteBool("Updates", "sedata.dat", true);
        IniWriteBool("Updates", "profs.dat", true);
        IniWriteInteger("Updates", "Filenumber", 7);
        WriteBytes(dir / "sedata.dat", ReadBytes(SITEHERALD_FIXTURES_DIR "/data/sedata.dat"));
        ui.answers = {false, true}; // no version information; overwrite Lighthouse Search
        RunDataUpdate(client, dir.path(), ui);
        const std::string data = "status: Downloading data files...";
        EXPECT_EQ(
            ui.events,
            Strings({"status: Checking for newer version...", "status: ", "status: ", kViewQuestion,
                     data, "status: ", "engines changed", data, "status: ", "status: ",
                     "status: Downloading search engine data...", "status: ", kProcessing,
                     "confirm? Overwrite search engine data for Lighthouse Search?",
                     "status: ", "engines changed"}));
        EXPECT_EQ(server.Requests(),
                  Strings({"version.upd", "sedata.dat", "profs.dat", "000007.upd"}));
        // The fetched sedata.dat with the update merged: Quay Index, then the replaced Lighthouse
        // Search and the new Beacon Finder from 000007.upd (its $UPDATE$ lines cut).
        EXPECT_EQ(ReadBytes(dir / "sedata.dat"),
                  whole.substr(whole.find("$Quay Index$")) + update.substr(10, update.size() - 20));
        EXPECT_EQ(ReadBytes(dir / "profs.dat"),
                  "$AutoFill\r\nemail\r\ntitle\r\nurl\r\n$AutoFill\r\n$sdffiles\r\n$sdffiles\r\n");
        EXPECT_FALSE(IniReadBool("Updates", "sedata.dat", true));
        EXPECT_FALSE(IniReadBool("Updates", "profs.dat", true));
        EXPECT_EQ(IniReadInteger("Updates", "Filenumber", 0), 8);
        EXPECT_EQ(VersionNumber(), 176);
    }

    // A missing version file, and a server that is gone, are silent.
    ScopedSettings settings;
    ScriptedUpdateUi ui;
    THttpCli client;
    for (const std::string& address :
         {server.url("none.upd"), "http://127.0.0.1:" + std::to_string(FreePort()) + "/"}) {
        IniWriteString("Main", "VersionUpdate", address);
        CheckNewVersion(client, false, ui);
    }
    EXPECT_TRUE(ui.events.empty());
    EXPECT_EQ(server.Requests().back(), "none.upd");
}

} // namespace
} // namespace siteherald
