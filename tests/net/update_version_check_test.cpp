#include "core/settings_store.h"
#include "net/version_check.h"
#include "update_test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace siteherald {
namespace {

using ::testing::ElementsAre;
using testing::ScopedSettings;
using testing::ScriptedUpdateUi;

constexpr const char* kViewQuestion =
    "info? A newer version is available for download. View information?";
constexpr const char* kMandatoryQuestion =
    "info? You must upgrade to a newer version of Siteherald. This version will cease to "
    "function properly due to the mandatory upgrade. Would you like to download the upgrade "
    "now?";

class VersionCheckTest : public ::testing::Test {
protected:
    ScopedSettings settings;
    ScriptedUpdateUi ui;

    int VersionNumber() { return IniReadInteger("Main", "VersionNumber", -1); }
};

TEST_F(VersionCheckTest, NewerVersionIsAnnouncedOnce) {
    const LineList file{"176", "http://127.0.0.1/siteherald/new.html"};
    ui.answers = {false};
    ProcessUpdate(file, ui);
    EXPECT_THAT(ui.events, ElementsAre("status: ", kViewQuestion));
    EXPECT_EQ(VersionNumber(), 176);

    IniWriteInteger("Main", "VersionNumber", 175);
    ui.events.clear();
    ui.answers = {true};
    ProcessUpdate(file, ui);
    EXPECT_THAT(ui.events, ElementsAre("status: ", kViewQuestion,
                                       "open: http://127.0.0.1/siteherald/new.html"));
    EXPECT_EQ(VersionNumber(), 176);

    ui.events.clear();
    ProcessUpdate(file, ui);
    EXPECT_THAT(ui.events, ElementsAre("status: "));
}

TEST_F(VersionCheckTest, MandatoryUpgradeIsRememberedAndEndsEachStart) {
    const LineList file{"176", "http://127.0.0.1/shupgrade.bin", "$Must Change$"};
    ui.answers = {true};
    ProcessUpdate(file, ui);
    EXPECT_THAT(ui.events, ElementsAre("status: ", kMandatoryQuestion,
                                       "open: http://127.0.0.1/shupgrade.bin", "quit"));
    EXPECT_EQ(IniReadString("Updates", "MDNV", ""), "5H2W8N1P6G3T9R");
    EXPECT_EQ(IniReadString("Updates", "NVD", ""), "http://127.0.0.1/shupgrade.bin");
    EXPECT_EQ(VersionNumber(), 176);

    ui.events.clear();
    EXPECT_TRUE(MandatoryUpgradePending(ui));
    EXPECT_THAT(ui.events,
                ElementsAre("info! You must download an upgrade to the version of Siteherald "
                            "that you are using. Siteherald will not function properly until "
                            "this has been done.",
                            "open: http://127.0.0.1/shupgrade.bin", "quit"));
}

TEST_F(VersionCheckTest, MandatoryUpgradeDeclinedStillQuitsAndKeepsDefaultAddress) {
    ui.answers = {false};
    ProcessUpdate({"180", "http://127.0.0.1/shupgrade.bin", "$Must Change$"}, ui);
    EXPECT_THAT(ui.events, ElementsAre("status: ", kMandatoryQuestion, "quit"));
    EXPECT_EQ(IniReadString("Updates", "NVD", "unset"), "unset");
    EXPECT_EQ(VersionNumber(), 180);

    ui.events.clear();
    EXPECT_TRUE(MandatoryUpgradePending(ui));
    ASSERT_EQ(ui.events.size(), 3u);
    EXPECT_EQ(ui.events[1], "open: ftp://siteherald.example/pub/progs/shupgrade.exe");
}

TEST_F(VersionCheckTest, OtherThirdLineIsSilentButRecordsTheVersion) {
    ProcessUpdate({"176", "http://127.0.0.1/new.html", "$must change$"}, ui);
    EXPECT_THAT(ui.events, ElementsAre("status: "));
    EXPECT_EQ(VersionNumber(), 176);
    EXPECT_EQ(IniReadString("Updates", "MDNV", ""), "");
    EXPECT_FALSE(MandatoryUpgradePending(ui));
}

TEST_F(VersionCheckTest, NoNewsChangesNothing) {
    for (const LineList& file :
         {LineList{}, LineList{"17x6", "http://127.0.0.1/"}, LineList{"", "http://127.0.0.1/"},
          LineList{"version 176"}, LineList{"175", "http://127.0.0.1/"}, LineList{"174"}}) {
        SCOPED_TRACE(file.empty() ? "(empty)" : file[0]);
        ui.events.clear();
        ProcessUpdate(file, ui);
        EXPECT_THAT(ui.events, ElementsAre("status: "));
    }
    EXPECT_FALSE(FileExists(settings.iniPath()));
}

TEST_F(VersionCheckTest, CheckNewVersionReadsTheFileFromVersionUpdate) {
    testing::StaticHttpServer server;
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
                   "http://127.0.0.1:" + std::to_string(testing::FreePort()) + "/update.upd");
    CheckNewVersion(client, false, ui);
    EXPECT_TRUE(ui.events.empty());
    EXPECT_THAT(server.Requests(), ElementsAre("update.upd", "none.upd"));
}

} // namespace
} // namespace siteherald
