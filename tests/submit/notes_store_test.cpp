#include "submit/notes_store.h"
#include "test_support.h"

#include <gtest/gtest.h>

namespace siteherald {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

const std::string kExcite = "$Excite\r\n$Main\r\nexcite note\r\n$Main\r\n"
                            "$/s/a.dat\r\nexcite a\r\n$/s/a.dat\r\n$Excite\r\n";
const std::string kLycos = "$Lycos\r\n$/s/a.dat\r\nlycos a\r\n$/s/a.dat\r\n$Lycos\r\n";

TEST(SubNotes, SavingCreatesTheSectionAtTheEnd) {
    TempDir dir;
    const std::string file = dir / "subnotes.dat";
    SaveSubNotes(file, "Lycos", "$Main", {"one", "", "two"});
    EXPECT_EQ(ReadBytes(file), "$Lycos\r\n$Main\r\none\r\n\r\ntwo\r\n$Main\r\n$Lycos\r\n");
    WriteBytes(file, kExcite);
    SaveSubNotes(file, "Lycos", "$/s/a.dat", {"lycos a"});
    EXPECT_EQ(ReadBytes(file), kExcite + kLycos);
}

TEST(SubNotes, SavingTouchesOnlyItsOwnEngineAndPutsTheNoteFirst) {
    TempDir dir;
    const std::string file = dir / "subnotes.dat";
    WriteBytes(file, kLycos + kExcite);
    // Lycos has no "$Main" yet, Excite after it has one.
    SaveSubNotes(file, "Lycos", "$Main", {"lycos note"});
    EXPECT_EQ(ReadBytes(file), "$Lycos\r\n$Main\r\nlycos note\r\n$Main\r\n"
                               "$/s/a.dat\r\nlycos a\r\n$/s/a.dat\r\n$Lycos\r\n" +
                                   kExcite);
    SaveSubNotes(file, "Excite", "$/s/a.dat", {"new a", "more"});
    EXPECT_EQ(ReadBytes(file), "$Lycos\r\n$Main\r\nlycos note\r\n$Main\r\n"
                               "$/s/a.dat\r\nlycos a\r\n$/s/a.dat\r\n$Lycos\r\n"
                               "$Excite\r\n$/s/a.dat\r\nnew a\r\nmore\r\n$/s/a.dat\r\n"
                               "$Main\r\nexcite note\r\n$Main\r\n$Excite\r\n");
    EXPECT_EQ(GetSubNotes(file, "Excite", "$/s/a.dat"), "new a\r\nmore");
    EXPECT_EQ(GetSubNotes(file, "Lycos", "$Main"), "lycos note");
}

TEST(SubNotes, ANoteCutShortNeverTakesTheNextEngineWithIt) {
    TempDir dir;
    const std::string path = dir / "subnotes.dat";
    // Lycos's file note holds a line "$Main", so its own "$Main" has no closing line inside
    // the section.
    WriteBytes(path, "$Lycos\r\n$/a\r\n$Main\r\n$/a\r\n$Lycos\r\n"
                     "$Excite\r\n$Main\r\ne\r\n$Main\r\n$Excite\r\n");
    SaveSubNotes(path, "Lycos", "$Main", {"new"});
    EXPECT_EQ(ReadBytes(path), "$Lycos\r\n$Main\r\nnew\r\n$Main\r\n$/a\r\n$Lycos\r\n"
                               "$Excite\r\n$Main\r\ne\r\n$Main\r\n$Excite\r\n");
}

TEST(SubNotes, Reading) {
    TempDir dir;
    const std::string file = dir / "subnotes.dat";
    EXPECT_EQ(GetSubNotes(file, "Excite", "$Main"), "");
    WriteBytes(file,
               kLycos + "$Excite\r\n$Main\r\n\r\n\r\nfirst\r\n\r\nlast\r\n$Main\r\n$Excite\r\n");
    EXPECT_EQ(GetSubNotes(file, "Excite", "$Main"), "first\r\n\r\nlast");
    EXPECT_EQ(GetSubNotes(file, "Lycos", "$Main"), ""); // Excite's "$Main" is not Lycos's
    EXPECT_EQ(GetSubNotes(file, "Infoseek", "$Main"), "");
    WriteBytes(file, kLycos + "$Excite\r\n$Main\r\nnever closed\r\n");
    EXPECT_EQ(GetSubNotes(file, "Excite", "$Main"), "");
}

TEST(Notes, SavingMovesTheSectionToTheEnd) {
    TempDir dir;
    const std::string file = dir / "notes.dat";
    EXPECT_EQ(LoadNotes(file, "Mail"), LineList{});
    SaveNotes(file, "Mail", {"m1", "m2"});
    SaveNotes(file, "News", {});
    EXPECT_EQ(ReadBytes(file), "$Mail\r\nm1\r\nm2\r\n$Mail\r\n$News\r\n$News\r\n");
    SaveNotes(file, "Mail", {"m3"});
    EXPECT_EQ(ReadBytes(file), "$News\r\n$News\r\n$Mail\r\nm3\r\n$Mail\r\n");
    EXPECT_EQ(LoadNotes(file, "Mail"), LineList{"m3"});
    EXPECT_EQ(LoadNotes(file, "General"), LineList{});
    WriteBytes(file, "$General\r\ng1\r\ng2");
    EXPECT_EQ(LoadNotes(file, "General"), (LineList{"g1", "g2"}));
}

TEST(Notes, MemoTextToLines) {
    EXPECT_EQ(NoteLines(""), LineList{});
    EXPECT_EQ(NoteLines("a"), LineList{"a"});
    EXPECT_EQ(NoteLines("a\n\nb\n"), (LineList{"a", "", "b", ""}));
}

} // namespace
} // namespace siteherald
