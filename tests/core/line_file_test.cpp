#include "core/line_file.h"
#include "test_support.h"

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace siteherald {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

namespace fs = std::filesystem;

LineList LoadBytes(const TempDir& dir, const std::string& bytes) {
    WriteBytes(dir / "f.dat", bytes);
    LineList lines{"stale"};
    EXPECT_TRUE(LoadLineFile(dir / "f.dat", lines));
    return lines;
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST(LineFileTest, LoadSplitsAtEveryLineEnding) {
    TempDir dir;
    EXPECT_THAT(LoadBytes(dir, "a\r\nb\rc\nd"), ElementsAre("a", "b", "c", "d"));
    EXPECT_THAT(LoadBytes(dir, "a\r\n"), ElementsAre("a"));
    EXPECT_THAT(LoadBytes(dir, "a\r\r\nb\r\n"), ElementsAre("a", "", "b"));
    EXPECT_THAT(LoadBytes(dir, "a\n\n\r\n"), ElementsAre("a", "", ""));
    EXPECT_THAT(LoadBytes(dir, "\r\n"), ElementsAre(""));
    EXPECT_THAT(LoadBytes(dir, ""), ElementsAre());

    LineList lines{"stale"};
    EXPECT_FALSE(LoadLineFile(dir / "missing.dat", lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_THROW(LoadLineFile(dir.path(), lines), FileError);
}

TEST(LineFileTest, SaveWritesCrLfAndRoundTrips) {
    TempDir dir;
    const LineList lines{"$A$", "", "A|http://a|", "last", ""};
    SaveLineFile(dir / "f.dat", lines);
    EXPECT_EQ(ReadBytes(dir / "f.dat"), "$A$\r\n\r\nA|http://a|\r\nlast\r\n\r\n");
    LineList back;
    ASSERT_TRUE(LoadLineFile(dir / "f.dat", back));
    EXPECT_EQ(back, lines);

    SaveLineFile(dir / "empty.dat", {});
    EXPECT_TRUE(FileExists(dir / "empty.dat"));
    EXPECT_EQ(ReadBytes(dir / "empty.dat"), "");
    EXPECT_THAT(Entries(dir.path()), ElementsAre("empty.dat", "f.dat"));
}

TEST(LineFileTest, SaveKeepsModeOfExistingFile) {
    TempDir dir;
    const std::string path = dir / "f.dat";
    SaveLineFile(path, {"new"});
    struct stat st {};
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0644u);

    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    SaveLineFile(path, {"again"});
    ASSERT_EQ(::stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(ReadBytes(path), "again\r\n");
}

TEST(LineFileTest, FailedSaveChangesNothing) {
    TempDir dir;
    try {
        SaveLineFile(dir / "nofolder/f.dat", {"x"});
        ADD_FAILURE() << "no error";
    } catch (const FileError& e) {
        EXPECT_EQ(e.path(), dir / "nofolder/f.dat");
        EXPECT_THAT(e.what(), HasSubstr(dir / "nofolder/f.dat"));
    }
    EXPECT_FALSE(fs::exists(dir / "nofolder"));

    fs::create_directory(dir / "target");
    WriteBytes(dir / "target/inside", "i");
    EXPECT_THROW(SaveLineFile(dir / "target", {"x"}), FileError);
    EXPECT_EQ(ReadBytes(dir / "target/inside"), "i");
    EXPECT_THAT(Entries(dir.path()), ElementsAre("target"));
}

// A write that fails halfway (the file size limit stands in for a full disk) must keep the
// old file whole and leave no temporary file beside it.
TEST(LineFileTest, SaveFailingMidWriteKeepsOldFile) {
    TempDir dir;
    const std::string path = dir / "sedata.dat";
    const std::string old = "$Old$\r\nOld|http://o|\n$Old$";
    WriteBytes(path, old);

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    std::string error;
    try {
        SaveLineFile(path, LineList(2000, std::string(60, 'x')));
    } catch (const FileError& e) {
        error = e.what();
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);

    EXPECT_THAT(error, HasSubstr(path + ": File too large"));
    EXPECT_EQ(ReadBytes(path), old);
    EXPECT_THAT(Entries(dir.path()), ElementsAre("sedata.dat"));
}

} // namespace
} // namespace siteherald
