#include "core/settings_store.h"
#include "submit/browser_launcher.h"
#include "test_support.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>
#include <vector>

namespace siteherald {
namespace {

using namespace std::chrono_literals;
using testing::ReadBytes;
using testing::TempDir;

class ScriptedPrompter : public Prompter {
public:
    std::vector<std::string> said;
    bool AskYesNo(MessageIcon, const std::string& text) override {
        said.push_back("ask: " + text);
        return true;
    }
    void Tell(MessageIcon icon, const std::string& text) override {
        said.push_back((icon == MessageIcon::Error ? "error: " : "tell: ") + text);
    }
};

TEST(ExtractBetween, MarksAndTheirEightBitPositions) {
    const auto none = std::nullopt;
    const std::string s = "//", slash = "/", colon = ":";
    EXPECT_EQ(ExtractBetween("http://host/path", none, colon), "http");
    EXPECT_EQ(ExtractBetween("http://host/path", s, slash), "host");
    EXPECT_EQ(ExtractBetween("http://host/path", s, none), "host/path");
    EXPECT_EQ(ExtractBetween("host/path", s, none), "");
    const std::string at256 = std::string(255, 'x') + "//host/p"; // mark at position 256 = 0
    EXPECT_EQ(ExtractBetween(at256, s, slash), "");
    // Position 257 reads as 1: the text is taken from just after a mark there.
    const std::string at257 = "ABCD" + std::string(252, 'x') + "//host/p";
    EXPECT_EQ(ExtractBetween(at257, s, slash), "CD" + std::string(252, 'x'));
    const std::string longText = std::string(300, 'y') + ":";
    EXPECT_EQ(ExtractBetween(longText, none, none), std::string(254, 'y'));
    EXPECT_EQ(ExtractBetween(longText, none, colon), ""); // beyond the 255 taken
}

TEST(NormalizeURL, SchemeHostPath) {
    EXPECT_EQ(NormalizeURL("http://search.example/add.html"), "http://search.example/add.html");
    EXPECT_EQ(NormalizeURL("http://search.example"), "http://search.example/");
    EXPECT_EQ(NormalizeURL("file:///D|/Tools\\~auto.htm"), "file:///D|/Tools\\~auto.htm");
    EXPECT_EQ(NormalizeURL("search.example/add.html"), "http:///search.example/add.html");
    EXPECT_EQ(NormalizeURL("HTTP://X/"), "http://X/");
    const std::string longAddress = "http://search.example/" + std::string(300, 'p') + "/end";
    EXPECT_EQ(NormalizeURL(longAddress), longAddress);
}

TEST(DefaultBrowserPath, NamedByTheDefaultSetting) {
    testing::ScopedSettings settings;
    EXPECT_EQ(DefaultBrowserPath(), "ERROR");
    IniWriteString("Browsers", "Netscape Navigator", "/opt/nn/netscape");
    IniWriteString("Browsers", "Other Browser", "/usr/bin/other");
    EXPECT_EQ(DefaultBrowserPath(), "/opt/nn/netscape");
    IniWriteString("Browsers", "Default", "Other Browser");
    EXPECT_EQ(DefaultBrowserPath(), "/usr/bin/other");
    IniWriteString("Browsers", "Default", "Internet Explorer");
    EXPECT_EQ(DefaultBrowserPath(), "ERROR");
}

TEST(OpenURL, StartsTheBrowserWithTheNormalizedAddress) {
    TempDir dir;
    const std::string browser = dir / "browser";
    WriteFileAtomic(browser,
                    "#!/bin/sh\nfor a in \"$@\"; do printf '%s|\\n' \"$a\"; done > \"$0.tmp\"\n"
                    "mv \"$0.tmp\" \"$0.args\"\n",
                    0755);
    ScriptedPrompter ui;
    WwwDde dde;
    dde.ServiceApplication = browser;
    EXPECT_TRUE(dde.OpenURL("search.example/add me.html", ui));
    for (int i = 0; i < 100 && !std::filesystem::exists(browser + ".args"); ++i)
        std::this_thread::sleep_for(50ms);
    EXPECT_EQ(ReadBytes(browser + ".args"), "http:///search.example/add me.html|\n");
    EXPECT_TRUE(ui.said.empty());
}

TEST(OpenURL, FailuresAndTheirMessages) {
    TempDir dir;
    WriteFileAtomic(dir / "plain", "#!/bin/sh\n", 0644);
    ScriptedPrompter ui;
    WwwDde dde;
    EXPECT_FALSE(dde.OpenURL("http://search.example/", ui));
    EXPECT_TRUE(ui.said.empty());
    for (const std::string& path :
         {std::string("ERROR"), dir / "missing", dir.path(), dir / "plain"}) {
        ui.said.clear();
        dde.ServiceApplication = path;
        EXPECT_FALSE(dde.OpenURL("http://search.example/", ui));
        EXPECT_EQ(ui.said, std::vector<std::string>{"error: " + path +
                                                    " could not be found.  Please check the "
                                                    "browser configuration under Options."});
    }
    // An address that would read as one of the browser's options is refused.
    ui.said.clear();
    dde.ServiceApplication = "/bin/true";
    EXPECT_FALSE(dde.OpenURL("--kiosk:x", ui));
    EXPECT_EQ(ui.said, std::vector<std::string>{"error: \"--kiosk:x\" is not a web address."});
}

} // namespace
} // namespace siteherald
