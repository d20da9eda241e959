// Line files, the settings file, the data folder and sedata.dat (its ordinary saves: tests/ui).

#include "core/data_dir.h"
#include "core/engine_records.h"
#include "core/file_url.h"
#include "core/pipe_record.h"
#include "core/settings_store.h"
#include "test_support.h"

#include <csignal>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>
#include <sys/resource.h>
#include <sys/stat.h>

namespace siteherald {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::ReadBytes;
using testing::ScopedEnv;
using testing::TempDir;
using testing::WriteBytes;
using Files = std::map<std::string, std::string>;
namespace fs = std::filesystem;

// Every file below a folder, by relative path, with its bytes.
Files Tree(const std::string& root) {
    Files files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).string()] = ReadBytes(entry.path().string());
    return files;
}

unsigned Mode(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? st.st_mode & 07777 : 0;
}

TEST(LineFileTest, LoadSplitsAtEveryLineEndingAndSaveWritesCrLf) {
    TempDir dir;
    const std::string path = dir / "f.dat";
    const std::pair<std::string, LineList> cases[] = {{"a\r\nb\rc\nd", {"a", "b", "c", "d"}},
                                                      {"a\r\r\nb\r\n", {"a", "", "b"}},
                                                      {"a\n\n\r\n", {"a", "", ""}},
                                                      {"", {}}};
    for (const auto& [bytes, expected] : cases) {
        WriteBytes(path, bytes);
        LineList lines{"stale"};
        EXPECT_TRUE(LoadLineFile(path, lines));
        EXPECT_EQ(lines, expected) << bytes;
    }
    LineList lines{"stale"};
    EXPECT_FALSE(LoadLineFile(dir / "missing.dat", lines));
    EXPECT_TRUE(lines.empty());
    EXPECT_THROW(LoadLineFile(dir.path(), lines), FileError);

    SaveLineFile(path, {"$A$", "", "last", ""});
    EXPECT_EQ(ReadBytes(path), "$A$\r\n\r\nlast\r\n\r\n");
    EXPECT_EQ(Mode(path), 0644u);
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    SaveLineFile(path, {});
    EXPECT_EQ(Mode(path), 0640u);
    EXPECT_EQ(Tree(dir.path()), (Files{{"f.dat", ""}}));
}

// A write that fails, even halfway (the file size limit stands in for a full disk), must keep
// the old file whole and leave no temporary file beside it.
TEST(LineFileTest, FailedSaveChangesNothing) {
    TempDir dir;
    EXPECT_THROW(SaveLineFile(dir / "nofolder/f.dat", {"x"}), FileError);
    fs::create_directory(dir / "target");
    EXPECT_THROW(SaveLineFile(dir / "target", {"x"}), FileError);

    const std::string path = dir / "sedata.dat";
    WriteBytes(path, "$Old$\r\nOld|http://o|\n$Old$");
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
    EXPECT_EQ(Tree(dir.path()), (Files{{"sedata.dat", "$Old$\r\nOld|http://o|\n$Old$"}}));
    EXPECT_TRUE(fs::is_empty(dir / "target") && !fs::exists(dir / "nofolder"));
}

TEST(SettingsTest, ReadsWritesAndKeepsTheRestOfTheFile) {
    testing::ScopedSettings settings;
    EXPECT_EQ(IniReadString("Browsers", "Default", "Netscape Navigator"), "Netscape Navigator");
    IniWriteString("Identity", "Name", "two\r\nlines"); // a one-line value keeps one line
    IniWriteBool("Main", "First", false);
    EXPECT_EQ(ReadBytes(settings.iniPath()), "[Identity]\nName=two  lines\n\n[Main]\nFirst=0\n");
    EXPECT_EQ(Mode(settings.iniPath()), 0600u);

    const std::string longValue(1500, 'v');
    WriteBytes(settings.iniPath(), "; kept comment\n[main]\nwebsite=http://a/\nID=5\n\n[T]\n"
                                   "hex=0x1F\nHEX2=0X1f\nbare=0x\nmixed=12abc\nneg=-12\ntwo=2\n"
                                   "word=yes\nempty=\nlong=" +
                                       longValue);
    EXPECT_EQ(IniReadString("MAIN", "WebSite", ""), "http://a/");
    EXPECT_EQ(IniReadString("T", "id", "none"), "none"); // ID is in another section
    EXPECT_EQ(IniReadString("T", "empty", "default"), "");
    EXPECT_EQ(IniReadString("T", "long", ""), longValue.substr(0, 1023));
    const std::pair<const char*, int> integers[] = {{"hex", 31},   {"hex2", 31}, {"bare", -1},
                                                    {"mixed", -1}, {"neg", -12}, {"empty", -1}};
    for (const auto& [key, value] : integers)
        EXPECT_EQ(IniReadInteger("T", key, -1), value) << key;
    EXPECT_TRUE(IniReadBool("T", "two", false));
    EXPECT_TRUE(IniReadBool("T", "word", true));
    EXPECT_FALSE(IniReadBool("T", "word", false));

    IniWriteString("Main", "WEBSITE", "http://b/");
    IniWriteInteger("MAIN", "AC", -3);
    const std::string stored = ReadBytes(settings.iniPath());
    EXPECT_EQ(stored.substr(0, stored.find("hex=")),
              "; kept comment\n[main]\nWEBSITE=http://b/\nID=5\nAC=-3\n\n[T]\n");
}

TEST(SettingsTest, FailedWriteNamesTheReasonAndReplacesNothing) {
    TempDir dir;
    WriteBytes(dir / "siteherald", "x");
    // A file where a parent folder should be, or where the settings folder should be.
    for (const std::string& config : {dir / "siteherald/config", dir.path()}) {
        ScopedEnv env("XDG_CONFIG_HOME", config.c_str());
        try {
            IniWriteString("Main", "ID", "1");
            ADD_FAILURE() << "no error";
        } catch (const SettingsWriteError& e) {
            EXPECT_EQ(e.what(), "Unable to write to " + config +
                                    "/siteherald/siteherald.ini: Not a directory");
        }
    }
    EXPECT_EQ(Tree(dir.path()), (Files{{"siteherald", "x"}}));

    testing::ScopedSettings settings; // a settings file that cannot be read
    fs::create_directories(settings.iniPath());
    EXPECT_EQ(IniReadString("Main", "ID", "d"), "d");
    EXPECT_THROW(IniWriteString("Main", "ID", "1"), SettingsWriteError);
    EXPECT_TRUE(fs::is_empty(settings.iniPath()));
    EXPECT_EQ(std::distance(fs::directory_iterator(settings.iniPath() + "/.."), {}), 1);
}

TEST(DataDirTest, VariableIsTakenFromTheStartFolderOrFirstUseSeedsTheHomeFolder) {
    TempDir home;
    ScopedEnv homeEnv("HOME", home.path().c_str());
    const fs::path cwd = fs::current_path();
    fs::current_path(home.path());
    {
        ScopedEnv dataEnv("SITEHERALD_DATA_DIR", "rel");
        EXPECT_EQ(ResolveDataDir(), home / "rel");
    }
    fs::current_path(cwd);
    EXPECT_TRUE(fs::is_empty(home.path()));

    ScopedEnv dataEnv("SITEHERALD_DATA_DIR", nullptr);
    ASSERT_EQ(ShippedDataDir(), SITEHERALD_SHIPPED_DATA_DIR);
    const Files shipped = Tree(SITEHERALD_SHIPPED_DATA_DIR);
    EXPECT_TRUE(shipped.count("sedata.dat") && shipped.count("demo/example.sdf"));
    EXPECT_EQ(ResolveDataDir(), home / "Siteherald");
    EXPECT_EQ(Tree(home / "Siteherald"), shipped);

    // An existing folder is left alone; seeding copies only the files it lacks.
    fs::remove_all(home / "Siteherald");
    fs::create_directories(home / "Siteherald/demo");
    WriteBytes(home / "Siteherald/demo/example.sdf", "edited");
    EXPECT_EQ(ResolveDataDir(), home / "Siteherald");
    EXPECT_EQ(Tree(home / "Siteherald"), (Files{{"demo/example.sdf", "edited"}}));
    SeedDataDir(SITEHERALD_SHIPPED_DATA_DIR, home / "Siteherald");
    Files expected = shipped;
    expected["demo/example.sdf"] = "edited";
    EXPECT_EQ(Tree(home / "Siteherald"), expected);

    EXPECT_EQ(FileUrl("/tmp/My Sites/100%#?~.htm"), "file:///tmp/My%20Sites/100%25%23%3F~.htm");
    EXPECT_EQ(FileUrl("/h\xC3\xA9"), "file:///h%C3%A9");
}

struct EngineRecordsTest : ::testing::Test {
    TempDir dir;
    std::string se = dir / "sedata.dat";
    std::string changes = dir / "sechanged.sec";
    LineList record{"stale"};
};

TEST_F(EngineRecordsTest, ListsNamesAndFindsTheFirstRecordOfAName) {
    // A duplicate name, lowercase and empty names, a line that only looks like a marker, text
    // outside any record, and a record without its end marker that runs to the end.
    const std::string engines = "$Yahoo$\r\nYahoo|http://y/add|http://y/info|\r\nurl|URL|\r\n"
                                "email||\r\n$Yahoo$\r\nstray\r\n$altavista$\r\naltavista|http://a|"
                                "\r\n$altavista$\r\n$Yahoo$x$\r\n$$\r\n|http://nameless|\r\n$$\r\n"
                                "$Yahoo$\r\nYahoo|http://second|\r\n$Yahoo$\r\n$Tail$\r\nTail|"
                                "http://t|\r\nf|Name|\r\n$altavista$\r\n";
    WriteBytes(se, engines);
    LineList records{"stale"};
    std::vector<std::string> names{"stale"};
    ASSERT_TRUE(FillSeCombo(se, records, names));
    EXPECT_THAT(names, ElementsAre("", "altavista", "Tail", "Yahoo"));
    EXPECT_EQ(JoinLines(records), engines);
    ASSERT_EQ(GetSEData(se, "Yahoo", record), RecordLookup::Found);
    EXPECT_THAT(record, ElementsAre("Yahoo|http://y/add|http://y/info|", "url|URL|", "email||"));
    EXPECT_EQ(ParseSEData(record).submission + " " + ParseSEData(record).info,
              "http://y/add http://y/info");
    EXPECT_THAT(GetFields(record), ElementsAre("url", "email"));
    EXPECT_THAT(GetFields({"N|http://s/|", "odd"}), ElementsAre("$ERROR$"));
    EXPECT_EQ(PipeField("a|b", 2), "$ERROR$"); // text after the last bar is no field
    ASSERT_EQ(GetSEData(se, "", record), RecordLookup::Found);
    EXPECT_THAT(record, ElementsAre("|http://nameless|"));
    ASSERT_EQ(GetSEData(se, "Tail", record), RecordLookup::Found);
    EXPECT_THAT(record, ElementsAre("Tail|http://t|", "f|Name|", "$altavista$"));
    EXPECT_EQ(GetSEData(se, "yahoo", record), RecordLookup::NotFound);
    EXPECT_TRUE(record.empty());
    EXPECT_EQ(ParseSEData(record).submission + ParseSEData(record).info, "");
    EXPECT_EQ(GetSEData(se + ".none", "Yahoo", record), RecordLookup::FileMissing);
    WriteBytes(se + ".empty", "");
    EXPECT_EQ(GetSEData(se + ".empty", "Yahoo", record), RecordLookup::FileMissing);
    EXPECT_FALSE(RemoveSE(se + ".none", "Yahoo"));
    EXPECT_FALSE(FileExists(se + ".none"));

    EXPECT_TRUE(RemoveSE(se, "Yahoo")); // the first one only
    EXPECT_EQ(ReadBytes(se), engines.substr(engines.find("stray")));
}

TEST_F(EngineRecordsTest, RecordWithoutEndMarkerIsNeverCutOutButCanBeReplaced) {
    // LF endings: any rewrite would turn them into CR LF.
    const std::string damaged = "$A$\nA|http://a|\n$A$\n$B$\nB|http://b|\nf|URL|\n$C$\nC|http://c|"
                                "\n$C$\n";
    WriteBytes(se, damaged);
    EXPECT_FALSE(RemoveSE(se, "B"));
    EXPECT_FALSE(RemoveSE(se, "D"));
    EXPECT_EQ(ReadBytes(se), damaged);
    SaveSEData(se, changes, {}, true);
    EXPECT_EQ(ReadBytes(se), damaged);

    // The engines after it are kept; saving again still moves it and records it again.
    for (int i = 0; i < 2; ++i)
        SaveSEData(se, changes, {"$B$", "B|http://b2|", "$B$"}, true);
    EXPECT_EQ(ReadBytes(se), "$A$\r\nA|http://a|\r\n$A$\r\n$C$\r\nC|http://c|\r\n$C$\r\n"
                             "$B$\r\nB|http://b2|\r\n$B$\r\n");
    EXPECT_EQ(ReadBytes(changes), "$B$\r\nB|http://b2|\r\n$B$\r\n$B$\r\nB|http://b2|\r\n$B$\r\n");
}

} // namespace
} // namespace siteherald
