#include "submit/browser_association.h"
#include "test_support.h"

#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <optional>
#include <utility>
#include <vector>

namespace siteherald {
namespace {

using testing::TempDir;

TEST(ExecProgram, QuotingEnvAndFieldCodes) {
    EXPECT_EQ(ExecProgram("firefox %u"), "firefox");
    EXPECT_EQ(ExecProgram("\"/opt/My Browser/browser\" --new-window %U"),
              "/opt/My Browser/browser");
    EXPECT_EQ(ExecProgram(R"("/opt/a \"b\" \`c\` \$d \\e/run" %u)"), R"(/opt/a "b" `c` $d \e/run)");
    EXPECT_EQ(ExecProgram("env MOZ_ENABLE_WAYLAND=1 firefox %u"), "firefox");
    EXPECT_EQ(ExecProgram("/usr/bin/env A=1 B=2 chromium %U"), "chromium");
    EXPECT_EQ(ExecProgram(" \tfirefox\t%u"), "firefox");
    EXPECT_EQ(ExecProgram("%u %F"), "");
    EXPECT_EQ(ExecProgram("env A=1 %u"), "");
    EXPECT_EQ(ExecProgram(""), "");
}

TEST(DesktopEntryExec, OnlyTheDesktopEntryGroupCounts) {
    EXPECT_EQ(DesktopEntryExec("Exec=loose\n"
                               "[Desktop Action new-window]\nExec=other --new-window\n"
                               "[Desktop Entry]\nName=Test\nTryExec=t\nExecFlags=f\nExec=ff %u\n"
                               "[Desktop Action private]\nExec=other --private\n"),
              "ff %u");
    EXPECT_EQ(DesktopEntryExec("[Desktop Entry]\nName=Test\n[Desktop Action new]\nExec=other\n"),
              "");
    EXPECT_EQ(DesktopEntryExec("[Desktop Entry]\r\nName=Test\r\nExec = firefox %u\r\n"),
              "firefox %u");
}

// A desktop file escapes its string values ("\\" for a backslash) before the Exec quoting
// rules apply, so "\\$" in the file is a literal "$" and "\\\\" a single backslash.
// FAILS at present: DesktopEntryExec leaves the string escapes in, and ExecProgram then
// gives "/opt/A\$B/run" and "/opt/A\\B/run".
TEST(DesktopEntryExec, StringEscapesComeOffBeforeQuoting) {
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
        for (const char* name : {"PATH", "XDG_DATA_HOME", "XDG_DATA_DIRS"}) {
            const char* value = std::getenv(name);
            saved_.emplace_back(name, value ? std::optional<std::string>(value) : std::nullopt);
        }
        ::setenv("PATH", (bin_.path() + ":" + std::getenv("PATH")).c_str(), 1);
        ::setenv("XDG_DATA_HOME", home_.path().c_str(), 1);
        ::setenv("XDG_DATA_DIRS", (first_.path() + "::" + second_.path()).c_str(), 1);
        Script("xdg-settings",
               "[ \"$*\" = 'get default-web-browser' ] && cat \"${0%/*}/settings\"");
        Script("xdg-mime", "[ \"$1 $2\" = 'query default' ] && cat \"${0%/*}/${3#*/}\"");
        for (const char* program : {"a-browser", "b-browser", "c-browser"})
            Script(program, "exit 0");
    }
    void TearDown() override {
        for (const auto& [name, value] : saved_)
            value ? ::setenv(name.c_str(), value->c_str(), 1) : ::unsetenv(name.c_str());
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
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

TEST_F(Association, QueriesInOrder) {
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
    Answer("html", "");
    EXPECT_EQ(GetProgramAssociation("http"), "");
}

TEST_F(Association, DataHomeBeforeDataDirsAndNothingFound) {
    Answer("settings", "a.desktop");
    EXPECT_EQ(GetProgramAssociation("http"), "");
    Entry(second_, "a.desktop", "c-browser");
    EXPECT_EQ(GetProgramAssociation("http"), bin_ / "c-browser");
    Entry(first_, "a.desktop", "b-browser");
    EXPECT_EQ(GetProgramAssociation("http"), bin_ / "b-browser");
    Entry(home_, "a.desktop", "a-browser");
    EXPECT_EQ(GetProgramAssociation("http"), bin_ / "a-browser");
    Entry(home_, "a.desktop", "no-such-browser-program %u");
    EXPECT_EQ(GetProgramAssociation("http"), "");
}

} // namespace
} // namespace siteherald
