#include "core/data_dir.h"
#include "core/file_url.h"
#include "test_support.h"

#include <filesystem>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <map>
#include <optional>

namespace siteherald {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

namespace fs = std::filesystem;

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : name_(name) {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            ::setenv(name, value, 1);
        else
            ::unsetenv(name);
    }
    ~ScopedEnv() {
        if (old_)
            ::setenv(name_, old_->c_str(), 1);
        else
            ::unsetenv(name_);
    }

private:
    const char* name_;
    std::optional<std::string> old_;
};

// Every file below a folder, by relative path, with its bytes.
std::map<std::string, std::string> Tree(const std::string& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).string()] = ReadBytes(entry.path().string());
    return files;
}

TEST(DataDirTest, EnvironmentVariableWins) {
    TempDir home;
    ScopedEnv homeEnv("HOME", home.path().c_str());
    {
        ScopedEnv dataEnv("SITEHERALD_DATA_DIR", (home / "mine").c_str());
        EXPECT_EQ(ResolveDataDir(), home / "mine");
    }
    {
        const fs::path cwd = fs::current_path();
        fs::current_path(home.path());
        ScopedEnv dataEnv("SITEHERALD_DATA_DIR", "rel");
        EXPECT_EQ(ResolveDataDir(), home / "rel");
        fs::current_path(cwd);
    }
    EXPECT_TRUE(fs::is_empty(home.path()));
}

TEST(DataDirTest, FirstUseSeedsHomeFolderWithShippedData) {
    TempDir home;
    ScopedEnv homeEnv("HOME", home.path().c_str());
    ScopedEnv dataEnv("SITEHERALD_DATA_DIR", nullptr);
    ASSERT_EQ(ShippedDataDir(), SITEHERALD_SHIPPED_DATA_DIR);

    EXPECT_EQ(ResolveDataDir(), home / "Siteherald");
    const auto seeded = Tree(home / "Siteherald");
    EXPECT_EQ(seeded, Tree(SITEHERALD_SHIPPED_DATA_DIR));
    EXPECT_TRUE(seeded.count("filelay.dat") && seeded.count("profs.dat") &&
                seeded.count("sedata.dat") && seeded.count("demo/example.sdf"));
}

TEST(DataDirTest, ExistingHomeFolderIsLeftAlone) {
    TempDir home;
    ScopedEnv homeEnv("HOME", home.path().c_str());
    ScopedEnv dataEnv("SITEHERALD_DATA_DIR", nullptr);
    fs::create_directory(home / "Siteherald");
    WriteBytes(home / "Siteherald/sedata.dat", "$Mine$\r\n");

    EXPECT_EQ(ResolveDataDir(), home / "Siteherald");
    EXPECT_EQ(Tree(home / "Siteherald"),
              (std::map<std::string, std::string>{{"sedata.dat", "$Mine$\r\n"}}));
}

TEST(DataDirTest, SeedCopiesOnlyMissingFiles) {
    TempDir target;
    fs::create_directory(target / "demo");
    WriteBytes(target / "demo/example.sdf", "edited");
    WriteBytes(target / "profs.dat", "mine");
    SeedDataDir(SITEHERALD_SHIPPED_DATA_DIR, target.path());

    auto expected = Tree(SITEHERALD_SHIPPED_DATA_DIR);
    expected["demo/example.sdf"] = "edited";
    expected["profs.dat"] = "mine";
    EXPECT_EQ(Tree(target.path()), expected);
}

} // namespace
} // namespace siteherald

TEST(FileUrl, EncodesEverythingButThePlainPathCharacters) {
    EXPECT_EQ(siteherald::FileUrl("/home/robin/Siteherald/~auto.htm"),
              "file:///home/robin/Siteherald/~auto.htm");
    EXPECT_EQ(siteherald::FileUrl("/tmp/My Sites/100%#?.htm"),
              "file:///tmp/My%20Sites/100%25%23%3F.htm");
    EXPECT_EQ(siteherald::FileUrl("/h\xC3\xA9"), "file:///h%C3%A9");
}
