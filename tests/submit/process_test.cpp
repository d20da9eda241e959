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
using testing::TempDir;

TEST(RunAndRead, CapturesStdoutAndExitStatus) {
    std::string out;
    EXPECT_TRUE(RunAndRead({"sh", "-c", "printf 'one\\ntwo'; echo noise >&2"}, out));
    EXPECT_EQ(out, "one\ntwo");
    EXPECT_TRUE(RunAndRead({"head", "-c", "300000", "/dev/zero"}, out));
    EXPECT_EQ(out.size(), 300000u);
    EXPECT_FALSE(RunAndRead({"sh", "-c", "echo partial; exit 3"}, out));
    EXPECT_EQ(out, "partial\n");
    EXPECT_FALSE(RunAndRead({"no-such-program-siteherald"}, out));
    EXPECT_EQ(out, "");
}

TEST(RunAndRead, KillsAProgramThatOutlivesTheTimeout) {
    std::string out;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(RunAndRead({"sh", "-c", "echo $$; exec sleep 30"}, out, 300));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    const pid_t pid = std::stoi(out);
    EXPECT_EQ(::kill(pid, 0), -1); // killed and reaped
    EXPECT_EQ(errno, ESRCH);
}

TEST(StartDetached, ArgumentsArriveUnchanged) {
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
}

TEST(StartDetached, MissingProgramGivesReason) {
    std::string error;
    EXPECT_FALSE(StartDetached({"/nonexistent/siteherald-browser", "x"}, error));
    EXPECT_FALSE(error.empty());
    error.clear();
    EXPECT_FALSE(StartDetached({"no-such-program-siteherald"}, error));
    EXPECT_FALSE(error.empty());
}

TEST(FindProgram, FirstExecutableFileOnPath) {
    TempDir first, second;
    WriteFileAtomic(first / "tool", "#!/bin/sh\n", 0644);
    std::filesystem::create_directory(first / "dirtool");
    WriteFileAtomic(second / "tool", "#!/bin/sh\n", 0755);
    WriteFileAtomic(second / "dirtool", "#!/bin/sh\n", 0755);
    const std::string oldPath = std::getenv("PATH");
    ::setenv("PATH", (first.path() + ":" + second.path()).c_str(), 1);
    EXPECT_EQ(FindProgram("tool"), second / "tool");
    EXPECT_EQ(FindProgram("dirtool"), second / "dirtool");
    EXPECT_EQ(FindProgram("missing"), "");
    EXPECT_EQ(FindProgram("/opt/x/run"), "/opt/x/run");
    EXPECT_EQ(FindProgram(""), "");
    ::setenv("PATH", oldPath.c_str(), 1);
}

} // namespace
} // namespace siteherald
