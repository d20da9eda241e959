// sub.log, subnotes.dat and notes.dat damaged, cut short or missing (ordinary use: tests/ui).

#include "submit/notes_store.h"
#include "submit/submission_log.h"
#include "test_support.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

namespace siteherald {
namespace {

using testing::ReadBytes;
using testing::WriteBytes;

struct LogsTest : ::testing::Test {
    testing::TempDir dir;
    std::string log = dir / "sub.log";
    std::string notes = dir / "subnotes.dat";
};

TEST_F(LogsTest, EntriesBelongByPrefixWithinTheirOwnSection) {
    WriteBytes(log, "$/s/a.dat\r\nExcite Europe | x\r\nExcite | x\r\n$/s/a.dat\r\n"
                    "$/s/b.dat\r\nLycos | x\r\n$/s/b.dat\r\n");
    EXPECT_TRUE(SubmittedSE(log, "/s/a.dat", "Exc"));
    EXPECT_FALSE(SubmittedSE(log, "/s/a.dat", "excite"));
    EXPECT_FALSE(SubmittedSE(log, "/s/a.dat", "Lycos"));
    RemoveFromLog(log, "/s/a.dat", "Excite"); // the first entry that begins with the name
    RemoveFromLog(log, "/s/b.dat", "Lycos");  // the only entry: the markers stay
    EXPECT_EQ(ReadBytes(log), "$/s/a.dat\r\nExcite | x\r\n$/s/a.dat\r\n$/s/b.dat\r\n$/s/b.dat\r\n");
    EXPECT_FALSE(InLog(log, "/s/b.dat"));

    WriteBytes(log, "$/s/a.dat"); // cut short without entries, then with one
    EXPECT_FALSE(InLog(log, "/s/a.dat"));
    WriteBytes(log, "$/s/b.dat\r\nLycos | x\r\n$/s/b.dat\r\n$/s/a.dat\r\nExcite | x");
    EXPECT_TRUE(InLog(log, "/s/a.dat"));
    EXPECT_EQ(LogEntries(log, "/s/a.dat"), LineList{"Excite | x"});
    PurgeLog(log, "/s/a.dat"); // the end marker comes back
    EXPECT_EQ(ReadBytes(log), "$/s/b.dat\r\nLycos | x\r\n$/s/b.dat\r\n$/s/a.dat\r\n$/s/a.dat\r\n");
    WriteBytes(log, "$/s/b.dat\nLycos | x\n$/s/b.dat\n"); // no section: left as it is
    PurgeLog(log, "/s/a.dat");
    EXPECT_EQ(ReadBytes(log), "$/s/b.dat\nLycos | x\n$/s/b.dat\n");
}

// A save renames a new file over the old one: the same inode means nothing was written.
TEST_F(LogsTest, EmptyAndMissingLogs) {
    const auto inode = [](const std::string& path) {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
    };
    WriteBytes(log, "");
    const ino_t before = inode(log);
    RemoveFromLog(log, "/s/a.dat", "Excite");
    EXPECT_EQ(inode(log), before);
    RemoveFromLog(dir / "removed.log", "/s/a.dat", "Excite");
    PurgeLog(dir / "purged.log", "/s/a.dat");
    PurgeAllLogs(dir / "all.log");
    EXPECT_EQ(ReadBytes(dir / "removed.log") + ReadBytes(dir / "purged.log"), "");
    EXPECT_TRUE(FileExists(dir / "removed.log") && FileExists(dir / "purged.log"));
    EXPECT_FALSE(FileExists(dir / "all.log"));
}

TEST_F(LogsTest, ANoteCutShortNeverTakesTheNextEngineWithIt) {
    EXPECT_EQ(GetSubNotes(notes, "Excite", "$Main"), "");
    // Lycos's file note holds a line "$Main", so its own "$Main" has no closing line inside
    // the section.
    WriteBytes(notes, "$Lycos\r\n$/a\r\n$Main\r\n$/a\r\n$Lycos\r\n"
                      "$Excite\r\n$Main\r\n\r\ne\r\n$Main\r\n$Excite\r\n");
    EXPECT_EQ(GetSubNotes(notes, "Lycos", "$Main"), ""); // Excite's "$Main" is not Lycos's
    EXPECT_EQ(GetSubNotes(notes, "Excite", "$Main"), "e");
    SaveSubNotes(notes, "Lycos", "$Main", {"new"});
    EXPECT_EQ(ReadBytes(notes), "$Lycos\r\n$Main\r\nnew\r\n$Main\r\n$/a\r\n$Lycos\r\n"
                                "$Excite\r\n$Main\r\n\r\ne\r\n$Main\r\n$Excite\r\n");
    WriteBytes(notes, "$Excite\r\n$Main\r\nnever closed\r\n");
    EXPECT_EQ(GetSubNotes(notes, "Excite", "$Main"), "");

    const std::string file = dir / "notes.dat";
    WriteBytes(file, "$General\r\ng1\r\ng2");
    EXPECT_EQ(LoadNotes(file, "General"), (LineList{"g1", "g2"}));
    WriteBytes(file, "$Mail\r\nm\r\n$News\r\nn\r\n$News\r\n"); // Mail cut short
    EXPECT_EQ(LoadNotes(file, "Mail"), LineList{"m"});
    SaveNotes(file, "Mail", {"x"});
    EXPECT_EQ(ReadBytes(file), "$News\r\nn\r\n$News\r\n$Mail\r\nx\r\n$Mail\r\n");
    EXPECT_EQ(NoteLines("a\n\nb\n"), (LineList{"a", "", "b", ""}));
}

} // namespace
} // namespace siteherald
