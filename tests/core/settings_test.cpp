#include "core/pipe_record.h"
#include "core/settings_store.h"
#include "test_support.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace siteherald {
namespace {

using testing::ReadBytes;
using testing::ScopedSettings;
using testing::TempDir;
using testing::WriteBytes;

TEST(PipeFieldTest, FieldsEndAtEachBar) {
    EXPECT_EQ(PipeField("Name|/add.html|", 2), "/add.html");
    EXPECT_EQ(PipeField("Name|/add.html|", 3), "$ERROR$");
    EXPECT_EQ(PipeField("Name|/add.html|/info.html|", 3), "/info.html");
    EXPECT_EQ(PipeField("field||", 2), "");
    EXPECT_EQ(PipeField("field||", 3), "$ERROR$");
    EXPECT_EQ(PipeField("a|b", 1), "a");
    EXPECT_EQ(PipeField("a|b", 2), "$ERROR$"); // text after the last bar is no field
    EXPECT_EQ(PipeField("|", 1), "");
    for (int n : {1, 2, 5}) {
        EXPECT_EQ(PipeField("no bar here", n), "$ERROR$");
        EXPECT_EQ(PipeField("", n), "$ERROR$");
    }
}

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directories(Folder()); }
    std::string Folder() const {
        return std::filesystem::path(settings.iniPath()).parent_path().string();
    }
    void Store(const std::string& text) { WriteBytes(settings.iniPath(), text); }
    std::string Stored() const { return ReadBytes(settings.iniPath()); }

    ScopedSettings settings;
};

TEST_F(SettingsTest, MissingFileReadsDefaultsAndWritesCreateIt) {
    std::filesystem::remove_all(Folder());
    EXPECT_EQ(IniReadString("Browsers", "Default", "Netscape Navigator"), "Netscape Navigator");
    EXPECT_EQ(IniReadInteger("Main", "VersionNumber", 175), 175);
    EXPECT_TRUE(IniReadBool("Main", "First", true));
    EXPECT_FALSE(IniReadBool("Updates", "Skip", false));

    IniWriteString("Browsers", "Default", "Other Browser");
    IniWriteInteger("Updates", "Filenumber", -7);
    IniWriteBool("Updates", "Skip", true);
    IniWriteBool("Main", "First", false);
    IniWriteString("Identity", "Name", "two\r\nlines");
    EXPECT_EQ(Stored(), "[Browsers]\nDefault=Other Browser\n\n"
                        "[Updates]\nFilenumber=-7\nSkip=1\n\n"
                        "[Main]\nFirst=0\n\n"
                        "[Identity]\nName=two  lines\n");
    struct stat st {};
    ASSERT_EQ(::stat(settings.iniPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    EXPECT_EQ(IniReadString("Browsers", "Default", ""), "Other Browser");
    EXPECT_EQ(IniReadInteger("Updates", "Filenumber", 1), -7);
    EXPECT_TRUE(IniReadBool("Updates", "Skip", false));
    EXPECT_FALSE(IniReadBool("Main", "First", true));
}

TEST_F(SettingsTest, NamesIgnoreCaseAndWriteKeepsTheRest) {
    Store("; kept comment\n[main]\nwebsite=http://a/\nID=5\n\n[Browsers]\nDefault=x\n");
    EXPECT_EQ(IniReadString("MAIN", "WebSite", ""), "http://a/");
    EXPECT_EQ(IniReadString("Browsers", "id", "none"), "none"); // ID is in another section

    IniWriteString("Main", "WEBSITE", "http://b/");
    IniWriteInteger("MAIN", "AC", 3);
    IniWriteString("Updates", "MDNV", "");
    EXPECT_EQ(Stored(), "; kept comment\n[main]\nWEBSITE=http://b/\nID=5\nAC=3\n\n"
                        "[Browsers]\nDefault=x\n\n[Updates]\nMDNV=\n");
    EXPECT_EQ(IniReadString("Updates", "MDNV", "default"), ""); // present but empty
    EXPECT_EQ(IniReadInteger("Updates", "MDNV", 9), 9);
}

TEST_F(SettingsTest, IntegerAndBoolConversions) {
    const std::string longValue(1500, 'v');
    Store("[T]\nhex=0x1F\nHEX2=0X1f\nbare=0x\nmixed=12abc\nneg=-12\n"
          "two=2\nzero=0\nword=yes\nlong=" +
          longValue + "\n");
    EXPECT_EQ(IniReadInteger("T", "hex", -1), 31);
    EXPECT_EQ(IniReadInteger("T", "hex2", -1), 31);
    EXPECT_EQ(IniReadInteger("T", "bare", -1), -1);
    EXPECT_EQ(IniReadInteger("T", "mixed", -1), -1);
    EXPECT_EQ(IniReadInteger("T", "neg", 0), -12);
    EXPECT_TRUE(IniReadBool("T", "two", false));
    EXPECT_FALSE(IniReadBool("T", "zero", true));
    EXPECT_TRUE(IniReadBool("T", "word", true));
    EXPECT_FALSE(IniReadBool("T", "word", false));
    EXPECT_EQ(IniReadString("T", "long", ""), longValue.substr(0, 1023));
}

TEST(SettingsFailureTest, UncreatableFolderGivesWriteError) {
    TempDir dir;
    WriteBytes(dir / "siteherald", "x");
    // A file where a parent folder should be, or where the settings folder should be.
    for (const std::string& config : {dir / "siteherald/config", dir.path()}) {
        ::setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        try {
            IniWriteString("Main", "ID", "1");
            ADD_FAILURE() << "no error";
        } catch (const SettingsWriteError& e) {
            EXPECT_EQ(e.what(), "Unable to write to " + config +
                                    "/siteherald/siteherald.ini: Not a directory");
        }
    }
    ::unsetenv("XDG_CONFIG_HOME");
    EXPECT_EQ(ReadBytes(dir / "siteherald"), "x");
}

TEST_F(SettingsTest, UnreadableFileIsNeverReplaced) {
    std::filesystem::create_directory(settings.iniPath());
    EXPECT_EQ(IniReadString("Main", "ID", "d"), "d");
    EXPECT_THROW(IniWriteString("Main", "ID", "1"), SettingsWriteError);
    EXPECT_TRUE(std::filesystem::is_directory(settings.iniPath()));
    EXPECT_TRUE(std::filesystem::is_empty(settings.iniPath()));
    // nothing else, no temporary file, beside it
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder()),
                            std::filesystem::directory_iterator()),
              1);
}

} // namespace
} // namespace siteherald
