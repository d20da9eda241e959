// Finding and starting the browser and other programs (GO starts a browser script in tests/ui).

#include "core/settings_store.h"
#include "submit/browser_association.h"
#include "submit/browser_launcher.h"
#include "submit/process.h"
#include "test_support.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <thread>

namespace siteherald {
namespace {

using namespace std::chrono_literals;
using testing::ReadBytes;
using testing::ScopedEnv;
using testing::TempDir;

TEST(ExecProgram, QuotingEnvFieldCodesAndDesktopEntryGroups) {
    const std::pair<const char*, const char*> cases[] = {
        {"\"/opt/My Browser/browser\" --new-window %U", "/opt/My Browser/browser"},
        {R"("/opt/a \"b\" \`c\` \$d \\e/run" %u)", R"(/opt/a "b" `c` $d \e/run)"},
        {"/usr/bin/env A=1 B=2 chromium %U", "chromium"},
        {"env A=1 %u", ""}};
    for (const auto& [exec, program] : cases)
        EXPECT_EQ(ExecProgram(exec), program) << exec;
    EXPECT_EQ(DesktopEntryExec("Exec=loose\n[Desktop Action new-window]\nExec=other --new\n"
                               "[Desktop Entry]\nName=Test\nTryExec=t\nExecFlags=f\nExec=ff %u\n"
                               "[Desktop Action private]\nExec=other --private\n"),
              "ff %u");
    EXPECT_EQ(DesktopEntryExec("[Desktop Entry]\r\nExec = firefox %u\r\n"), "firefox %u");
    // The string escapes of a desktop file ("\\" for a backslash) come off before the Exec
    // quoting rules apply.
    EXPECT_EQ(ExecProgram(DesktopEntryExec("[Desktop Entry]\nExec=\"/opt/A\\\\$B/run\" %u\n")),
              "/opt/A$B/run");
    EXPECT_EQ(ExecProgram(DesktopEntryExec("[Desktop Entry]\nExec=\"/opt/A\\\\\\\\B/run\"\n")),
              "/opt/A\\B/run");
}

// Fake xdg-settings and xdg-mime first on PATH print the answer files beside them (failing
// when there is none); desktop entries live in temporary data folders.
class Association : public ::testing::Test {
protected:
    void SetUp() override {
        Script("xdg-settings",
               "[ \"$*\" = 'get default-web-browser' ] && cat \"${0%/*}/settings\"");
        Script("xdg-mime", "[ \"$1 $2\" = 'query default' ] && cat \"${0%/*}/${3#*/}\"");
        for (const char* program : {"a-browser", "b-browser", "c-browser"})
            Script(program, "exit 0");
    }
    void Script(const std::string& name, const std::string& body) {
        WriteFileAtomic(bin_ / name, "#!/bin/sh\n" + body + "\n", 0755);
    }
    // answer for "settings", "http" (x-scheme-handler/http) or "html" (text/html)
    void Answer(const std::string& query, const std::string& entry) {
        std::filesystem::remove(bin_ / query);
        if (!entry.empty())
            WriteFileAtomic(bin_ / query, entry + "\n");
    }
    static void Entry(const TempDir& data, const std::string& file, const std::string& exec) {
        std::filesystem::create_directories(data / "applications");
        WriteFileAtomic(data / ("applications/" + file), "[Desktop Entry]\nExec=" + exec + "\n");
    }

    TempDir bin_, home_, first_, second_;
    ScopedEnv path_{"PATH", (bin_.path() + ":" + std::getenv("PATH")).c_str()};
    ScopedEnv dataHome_{"XDG_DATA_HOME", home_.path().c_str()};
    ScopedEnv dataDirs_{"XDG_DATA_DIRS", (first_.path() + "::" + second_.path()).c_str()};
};

TEST_F(Association, QueriesInOrderAndDataHomeBeforeDataDirs) {
    Entry(first_, "a.desktop", "env MOZ_ENABLE_WAYLAND=1 a-browser %u");
    Entry(first_, "b.desktop", "b-browser %U");
    Entry(second_, "c.desktop", "\"c-browser\" %f");
    Answer("settings", "a.desktop");
    Answer("http", "b.desktop");
    Answer("html", "c.desktop");
    EXPECT_EQ(GetProgramAssociation("http"), bin_ / "a-browser");
    EXPECT_EQ(GetProgramAssociation("htm"), bin_ / "c-browser");
    Answer("settings", "");
    EXPECT_EQ(GetProgramAssociation("http"), bin_ / "b-browser");
    Answer("http", "");
    EXPECT_EQ(GetProgramAssociation("http"), bin_ / "c-browser");

    Answer("settings", "c.desktop");
    Entry(first_, "c.desktop", "b-browser");
    EXPECT_EQ(GetProgramAssociation("http"), bin_ / "b-browser");
    Entry(home_, "c.desktop", "a-browser");
    EXPECT_EQ(GetProgramAssociation("http"), bin_ / "a-browser");
    Entry(home_, "c.desktop", "no-such-browser-program %u");
    EXPECT_EQ(GetProgramAssociation("http"), "");
}

TEST(BrowserLauncher, AddressesAndTheDefaultBrowser) {
    const auto none = std::nullopt;
    const std::string s = "//", slash = "/", colon = ":";
    EXPECT_EQ(ExtractBetween("http://host/path", s, slash), "host");
    const std::string at256 = std::string(255, 'x') + "//host/p"; // mark at position 256 = 0
    EXPECT_EQ(ExtractBetween(at256, s, slash), "");
    // Position 257 reads as 1: the text is taken from just after a mark there.
    const std::string at257 = "ABCD" + std::string(252, 'x') + "//host/p";
    EXPECT_EQ(ExtractBetween(at257, s, slash), "CD" + std::string(252, 'x'));
    const std::string longText = std::string(300, 'y') + ":";
    EXPECT_EQ(ExtractBetween(longText, none, none), std::string(254, 'y'));
    EXPECT_EQ(ExtractBetween(longText, none, colon), ""); // beyond the 255 taken

    EXPECT_EQ(NormalizeURL("http://search.example"), "http://search.example/");
    EXPECT_EQ(NormalizeURL("file:///D|/Tools\\~auto.htm"), "file:///D|/Tools\\~auto.htm");
    EXPECT_EQ(NormalizeURL("search.example/add.html"), "http:///search.example/add.html");
    const std::string longAddress = "http://search.example/" + std::string(300, 'p') + "/end";
    EXPECT_EQ(NormalizeURL(longAddress), longAddress);

    testing::ScopedSettings settings;
    EXPECT_EQ(DefaultBrowserPath(), "ERROR");
    IniWriteString("Browsers", "Netscape Navigator", "/opt/nn/netscape");
    EXPECT_EQ(DefaultBrowserPath(), "/opt/nn/netscape");
}

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

TEST(BrowserLauncher, FailuresAndTheirMessages) {
    TempDir dir;
    WriteFileAtomic(dir / "plain", "#!/bin/sh\n", 0644);
    ScriptedPrompter ui;
    WwwDde dde;
    EXPECT_FALSE(dde.OpenURL("http://search.example/", ui));
    EXPECT_TRUE(ui.said.empty());
    for (const std::string& path : {std::string("ERROR"), dir / "missing", dir / "plain"}) {
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

TEST(Process, RunAndReadCapturesOutputAndKillsWhatOutlivesTheTimeout) {
    std::string out;
    EXPECT_TRUE(RunAndRead({"sh", "-c", "printf 'one\\ntwo'; echo noise >&2"}, out));
    EXPECT_EQ(out, "one\ntwo");
    EXPECT_TRUE(RunAndRead({"head", "-c", "300000", "/dev/zero"}, out));
    EXPECT_EQ(out.size(), 300000u);
    EXPECT_FALSE(RunAndRead({"sh", "-c", "echo partial; exit 3"}, out));
    EXPECT_EQ(out, "partial\n");

    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(RunAndRead({"sh", "-c", "echo $$; exec sleep 30"}, out, 300));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    EXPECT_EQ(::kill(std::stoi(out), 0), -1); // killed and reaped
    EXPECT_EQ(errno, ESRCH);
}

TEST(Process, StartDetachedPassesArgumentsUnchangedAndFindProgramSearchesPath) {
    TempDir dir;
    const std::string record = dir / "record";
    WriteFileAtomic(record,
                    "#!/bin/sh\nout=$1; shift\n"
                    "for a in \"$@\"; do printf '%s|\\n' \"$a\"; done > \"$out.tmp\"\n"
                    "mv \"$out.tmp\" \"$out\"\n",
                    0755);
    std::string error;
    ASSERT_TRUE(StartDetached(
        {record, dir / "args", "two words", "a;b", "$(x)", "`y`", "*", "'q'", ""}, error))
        << error;
    for (int i = 0; i < 100 && !std::filesystem::exists(dir / "args"); ++i)
        std::this_thread::sleep_for(50ms);
    EXPECT_EQ(ReadBytes(dir / "args"), "two words|\na;b|\n$(x)|\n`y`|\n*|\n'q'|\n|\n");
    EXPECT_FALSE(StartDetached({"/nonexistent/siteherald-browser", "x"}, error));
    EXPECT_FALSE(error.empty());

    TempDir first;
    WriteFileAtomic(first / "tool", "#!/bin/sh\n", 0644);
    std::filesystem::create_directory(first / "dirtool");
    WriteFileAtomic(dir / "tool", "#!/bin/sh\n", 0755);
    WriteFileAtomic(dir / "dirtool", "#!/bin/sh\n", 0755);
    ScopedEnv path("PATH", (first.path() + ":" + dir.path()).c_str());
    EXPECT_EQ(FindProgram("tool"), dir / "tool");
    EXPECT_EQ(FindProgram("dirtool"), dir / "dirtool");
    EXPECT_EQ(FindProgram("missing"), "");
}

} // namespace
} // namespace siteherald
