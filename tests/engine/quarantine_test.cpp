#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/quarantine.h"
#include "platform/process_paths.h"
#include "tests/support/temp_dir.h"

namespace quillvarden {
namespace {

namespace fs = std::filesystem;

class QuarantineTest : public ::testing::Test {
protected:
    std::string quarantineDir() const { return test::TempDir::toUtf8(dir.path() / "quarantine"); }
    std::string write(const std::string& name, const std::string& content) {
        return test::TempDir::toUtf8(dir.write(name, content));
    }

    test::TempDir dir;
};

TEST_F(QuarantineTest, NamesCountUpAndNothingIsOverwritten) {
    const std::string path = write("dl/a.exe", "first");
    ASSERT_TRUE(quarantineFileInto(path, quarantineDir()));
    EXPECT_FALSE(fs::exists(dir.path() / "dl/a.exe"));
    EXPECT_EQ(test::readFile(dir.path() / "quarantine/a.exe.quarantine"), "first");

    write("dl/a.exe", "second");  // restored by hand, or a new one with the same name
    ASSERT_TRUE(quarantineFileInto(path, quarantineDir()));
    EXPECT_EQ(test::readFile(dir.path() / "quarantine/a.exe.1.quarantine"), "second");

    write("quarantine/a.exe.2.quarantine", "already there");
    write("dl/a.exe", "third");
    ASSERT_TRUE(quarantineFileInto(path, quarantineDir()));
    EXPECT_EQ(test::readFile(dir.path() / "quarantine/a.exe.2.quarantine"), "already there");
    EXPECT_EQ(test::readFile(dir.path() / "quarantine/a.exe.3.quarantine"), "third");
    EXPECT_EQ(test::readFile(dir.path() / "quarantine/a.exe.quarantine"), "first");
}

TEST_F(QuarantineTest, ForwardSlashPathsAndMissingFiles) {
    const std::string path = dir.str() + "/dl/b.dll";
    write("dl/b.dll", "b");
    ASSERT_TRUE(quarantineFileInto(path, quarantineDir()));
    EXPECT_TRUE(fs::exists(dir.path() / "quarantine/b.dll.quarantine"));

    fs::remove_all(dir.path() / "quarantine");
    EXPECT_FALSE(quarantineFileInto(dir.str() + "/dl/missing.exe", quarantineDir()));
    EXPECT_TRUE(fs::is_directory(dir.path() / "quarantine")) << "the folder is made even so";
}

TEST_F(QuarantineTest, DirectoriesAreNotQuarantined) {
    dir.write("dl/folder.exe/inside.txt", "x");
    EXPECT_FALSE(quarantineFileInto(test::TempDir::toUtf8(dir.path() / "dl" / "folder.exe"), quarantineDir()));
    EXPECT_TRUE(fs::exists(dir.path() / "dl/folder.exe/inside.txt"));
}

TEST_F(QuarantineTest, QuarantinedFileCannotBeRun) {
    const std::string path = write("dl/run.sh", "#!/bin/sh\n");
    fs::permissions(dir.path() / "dl/run.sh", fs::perms::owner_exec | fs::perms::group_exec, fs::perm_options::add);
    ASSERT_TRUE(quarantineFileInto(path, quarantineDir()));
    const auto perms = fs::status(dir.path() / "quarantine/run.sh.quarantine").permissions();
    EXPECT_EQ(perms & (fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec), fs::perms::none);
}

TEST_F(QuarantineTest, DeleteRefusesReadOnlyAndMissingFiles) {
    const std::string path = write("dl/c.exe", "c");
    EXPECT_TRUE(deleteFile(path));
    EXPECT_FALSE(fs::exists(dir.path() / "dl/c.exe"));
    EXPECT_FALSE(deleteFile(path));

    const std::string locked = write("dl/ro.exe", "r");
    fs::permissions(dir.path() / "dl/ro.exe", fs::perms::all & ~(fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write));
    EXPECT_FALSE(deleteFile(locked));
    EXPECT_TRUE(fs::exists(dir.path() / "dl/ro.exe"));
    EXPECT_FALSE(deleteFile(dir.str() + "/dl")) << "directories are not deleted";
}

TEST(QuarantineDirectory, BesideTheExecutable) {
    EXPECT_EQ(quarantineDirectory(), platform::executableDirectory() + platform::kPathSeparator + "quarantine");
}

}  // namespace
}  // namespace quillvarden
