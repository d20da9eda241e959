#include "submit/submission_log.h"
#include "test_support.h"

#include <clocale>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace siteherald {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

constexpr const char* kDate = "Jan 05, 1999";

// A save renames a new file over the old one: the same inode means nothing was written.
ino_t Inode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}

TEST(SubmissionDate, ShortMonthTwoDigitDayYear) {
    std::setlocale(LC_TIME, "C");
    std::tm day{};
    day.tm_year = 99, day.tm_mday = 5, day.tm_hour = 12, day.tm_isdst = -1;
    EXPECT_EQ(SubmissionDate(std::mktime(&day)), "Jan 05, 1999");
}

TEST(SubmissionLog, TickingAddsSortedEntriesAndMovesTheSectionToTheEnd) {
    TempDir dir;
    const std::string log = dir / "sub.log";
    WriteBytes(log, "$/s/b.dat\r\nLycos | Submitted: Dec 31, 1998\r\n$/s/b.dat\r\n");
    AddToLog(log, "/s/a.dat", "Excite", kDate);
    const std::string a = "$/s/a.dat\r\nExcite | Submitted: Jan 05, 1999\r\n$/s/a.dat\r\n";
    EXPECT_EQ(ReadBytes(log), "$/s/b.dat\r\nLycos | Submitted: Dec 31, 1998\r\n$/s/b.dat\r\n" + a);

    AddToLog(log, "/s/b.dat", "altaVista", kDate);
    AddToLog(log, "/s/b.dat", "Lycos", kDate); // the older entry of the engine stays
    EXPECT_EQ(ReadBytes(log), a + "$/s/b.dat\r\naltaVista | Submitted: Jan 05, 1999\r\n"
                                  "Lycos | Submitted: Dec 31, 1998\r\n"
                                  "Lycos | Submitted: Jan 05, 1999\r\n$/s/b.dat\r\n");
    EXPECT_EQ(LogEntries(log, "/s/c.dat"), LineList{});
}

TEST(SubmissionLog, EntriesBelongByPrefixWithinTheirOwnSection) {
    TempDir dir;
    const std::string log = dir / "sub.log";
    WriteBytes(log, "$/s/a.dat\r\nExcite Europe | x\r\nExcite | x\r\n$/s/a.dat\r\n"
                    "$/s/b.dat\r\nLycos | x\r\n$/s/b.dat\r\n");
    EXPECT_TRUE(SubmittedSE(log, "/s/a.dat", "Exc"));
    EXPECT_FALSE(SubmittedSE(log, "/s/a.dat", "excite"));
    EXPECT_FALSE(SubmittedSE(log, "/s/a.dat", "Lycos"));
    RemoveFromLog(log, "/s/a.dat", "Excite"); // the first entry that begins with the name
    EXPECT_EQ(ReadBytes(log), "$/s/a.dat\r\nExcite | x\r\n$/s/a.dat\r\n"
                              "$/s/b.dat\r\nLycos | x\r\n$/s/b.dat\r\n");
}

TEST(SubmissionLog, RemovingTheOnlyEntryLeavesAdjacentMarkers) {
    TempDir dir;
    const std::string log = dir / "sub.log";
    AddToLog(log, "/s/a.dat", "Excite", kDate);
    EXPECT_EQ(ReadBytes(log), "$/s/a.dat\r\nExcite | Submitted: Jan 05, 1999\r\n$/s/a.dat\r\n");
    EXPECT_TRUE(InLog(log, "/s/a.dat"));
    EXPECT_TRUE(SubmittedSE(log, "/s/a.dat", "Excite"));
    RemoveFromLog(log, "/s/a.dat", "Excite");
    EXPECT_EQ(ReadBytes(log), "$/s/a.dat\r\n$/s/a.dat\r\n");
    EXPECT_FALSE(InLog(log, "/s/a.dat"));
    EXPECT_FALSE(SubmittedSE(log, "/s/a.dat", "Excite"));

    WriteBytes(log, "$/s/a.dat"); // cut short without entries, then with one
    EXPECT_FALSE(InLog(log, "/s/a.dat"));
    WriteBytes(log, "$/s/a.dat\r\nExcite | x");
    EXPECT_TRUE(InLog(log, "/s/a.dat"));
    EXPECT_EQ(LogEntries(log, "/s/a.dat"), LineList{"Excite | x"});
}

TEST(SubmissionLog, PurgeEmptiesOnlyTheCurrentSection) {
    TempDir dir;
    const std::string log = dir / "sub.log";
    const std::string b = "$/s/b.dat\r\nLycos | x\r\n$/s/b.dat\r\n";
    WriteBytes(log, "$/s/a.dat\r\nExcite | x\r\nInfoseek | x\r\n$/s/a.dat\r\n" + b);
    PurgeLog(log, "/s/a.dat");
    EXPECT_EQ(ReadBytes(log), "$/s/a.dat\r\n$/s/a.dat\r\n" + b);
    WriteBytes(log, b + "$/s/a.dat\r\nExcite | x\r\n"); // cut short: the marker comes back
    PurgeLog(log, "/s/a.dat");
    EXPECT_EQ(ReadBytes(log), b + "$/s/a.dat\r\n$/s/a.dat\r\n");
    WriteBytes(log, "$/s/b.dat\nLycos | x\n$/s/b.dat\n"); // no section: left as it is
    PurgeLog(log, "/s/a.dat");
    EXPECT_EQ(ReadBytes(log), "$/s/b.dat\nLycos | x\n$/s/b.dat\n");
    PurgeAllLogs(log);
    EXPECT_TRUE(FileExists(log));
    EXPECT_EQ(ReadBytes(log), "");
}

TEST(SubmissionLog, EmptyAndMissingLogs) {
    TempDir dir;
    WriteBytes(dir / "sub.log", "");
    const ino_t before = Inode(dir / "sub.log");
    RemoveFromLog(dir / "sub.log", "/s/a.dat", "Excite");
    EXPECT_EQ(Inode(dir / "sub.log"), before);
    RemoveFromLog(dir / "removed.log", "/s/a.dat", "Excite");
    PurgeLog(dir / "purged.log", "/s/a.dat");
    PurgeAllLogs(dir / "all.log");
    EXPECT_TRUE(FileExists(dir / "removed.log") && FileExists(dir / "purged.log"));
    EXPECT_EQ(ReadBytes(dir / "removed.log") + ReadBytes(dir / "purged.log"), "");
    EXPECT_FALSE(FileExists(dir / "all.log"));
}

} // namespace
} // namespace siteherald
