// The quarantine folder's records: what can be listed, restored and purged, and what
// must be refused (names that leave the folder, files without a record, a file that
// would be overwritten).
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "engine/quarantine.h"
#include "engine/quarantine_vault.h"
#include "platform/file_attributes.h"
#include "tests/support/temp_dir.h"

namespace quillvarden {
namespace {

namespace fs = std::filesystem;

class QuarantineVaultTest : public ::testing::Test {
protected:
    std::string vault() const { return test::TempDir::toUtf8(dir.path() / "quarantine"); }
    test::TempDir dir;
};

TEST(QuarantineNames, OnlyPlainNamesInsideTheFolder) {
    struct Case {
        std::string name;
        bool valid;
    };
    const std::vector<Case> cases = {
        {"a.exe.quarantine", true},       {"a.exe.3.quarantine", true},   {"报告.doc.quarantine", true},
        {".quarantine", false},           {"a.exe", false},                {"../a.exe.quarantine", false},
        {"..\\a.exe.quarantine", false},  {"sub/a.exe.quarantine", false}, {"C:a.exe.quarantine", false},
        {"/etc/passwd.quarantine", false}, {"a.quarantine:stream", false}, {"..", false},
        {std::string("a\0b.quarantine", 14), false}, {"", false},          {"a.exe.quarantine.record", false},
    };
    for (const Case& c : cases) EXPECT_EQ(isQuarantineName(c.name), c.valid) << c.name;
}

TEST_F(QuarantineVaultTest, QuarantinedFilesComeBackWhereTheyWereAfterARestart) {
    const fs::path original = dir.write("downloads/tool.exe", "payload");
#ifndef _WIN32
    fs::permissions(original, fs::perms::owner_all | fs::perms::group_read);
#endif
    const std::string originalPath = test::TempDir::toUtf8(original);
    ASSERT_TRUE(quarantineFileInto(originalPath, vault()));
    ASSERT_FALSE(fs::exists(original));

    // Nothing is kept in memory: the listing and the restore read the folder.
    const auto listed = listQuarantine(vault());
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].name, "tool.exe.quarantine");
    EXPECT_EQ(listed[0].originalPath, originalPath);
    EXPECT_EQ(listed[0].size, 7u);
    EXPECT_GT(listed[0].quarantinedAtMs, 0);

    std::string restoredTo;
    EXPECT_EQ(restoreFromQuarantine(vault(), "tool.exe.quarantine", restoredTo), QuarantineOutcome::Done);
    EXPECT_EQ(restoredTo, originalPath);
    EXPECT_EQ(test::readFile(original), "payload");
#ifndef _WIN32
    EXPECT_EQ(platform::permissionBits(originalPath), 0740u);  // executable again, as it was
#endif
    EXPECT_TRUE(listQuarantine(vault()).empty());
    EXPECT_FALSE(fs::exists(dir.path() / "quarantine" / "tool.exe.quarantine.record"));
}

TEST_F(QuarantineVaultTest, RefusesWhatWouldBeUnsafeAndChangesNothing) {
    const std::string first = test::TempDir::toUtf8(dir.write("a/same.exe", "first"));
    ASSERT_TRUE(quarantineFileInto(first, vault()));
    dir.write("a/same.exe", "a new file at the old place");
    std::string target;
    EXPECT_EQ(restoreFromQuarantine(vault(), "same.exe.quarantine", target), QuarantineOutcome::TargetExists);
    EXPECT_EQ(test::readFile(dir.path() / "a" / "same.exe"), "a new file at the old place");
    EXPECT_TRUE(fs::exists(dir.path() / "quarantine" / "same.exe.quarantine"));

    // A file quarantined before records existed: listed without an origin, not
    // restorable, but it can be purged.
    dir.write("quarantine/old.exe.quarantine", "old");
    const auto listed = listQuarantine(vault());
    ASSERT_EQ(listed.size(), 2u);
    for (const QuarantineEntry& entry : listed) {
        EXPECT_EQ(entry.originalPath.empty(), entry.name == "old.exe.quarantine") << entry.name;
    }
    EXPECT_EQ(restoreFromQuarantine(vault(), "old.exe.quarantine", target), QuarantineOutcome::NoRecord);
    EXPECT_EQ(purgeFromQuarantine(vault(), "old.exe.quarantine"), QuarantineOutcome::Done);
    EXPECT_FALSE(fs::exists(dir.path() / "quarantine" / "old.exe.quarantine"));

    dir.write("outside.quarantine", "not in the folder");
    for (const std::string& name : {std::string("../outside.quarantine"), std::string("missing.quarantine")}) {
        const QuarantineOutcome expected =
            isQuarantineName(name) ? QuarantineOutcome::NotFound : QuarantineOutcome::InvalidName;
        EXPECT_EQ(purgeFromQuarantine(vault(), name), expected) << name;
        EXPECT_EQ(restoreFromQuarantine(vault(), name, target), expected) << name;
    }
    EXPECT_TRUE(fs::exists(dir.path() / "outside.quarantine"));
}

TEST_F(QuarantineVaultTest, PurgeTakesReadOnlyFilesAndTheirRecords) {
    const fs::path original = dir.write("ro.exe", "r");
    fs::permissions(original, fs::perms::owner_read);
    ASSERT_TRUE(quarantineFileInto(test::TempDir::toUtf8(original), vault()));
    EXPECT_EQ(purgeFromQuarantine(vault(), "ro.exe.quarantine"), QuarantineOutcome::Done);
    EXPECT_TRUE(listQuarantine(vault()).empty());
    EXPECT_FALSE(fs::exists(dir.path() / "quarantine" / "ro.exe.quarantine.record"));
}

}  // namespace
}  // namespace quillvarden
