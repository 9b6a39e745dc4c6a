#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "engine/detection_engine.h"
#include "engine/trust_list.h"
#include "platform/process_paths.h"
#include "tests/support/temp_dir.h"

namespace quillvarden {
namespace {

TEST(TrustPath, Normalisation) {
    struct Case {
        const char *path, *key;
    };
    const Case cases[] = {
        {"D:\\Tools", "d:\\tools\\"}, {"d:/tools/", "d:\\tools\\"}, {"D:\\TOOLS\\\\", "d:\\tools\\"},
        {"C:", "c:\\"},               {"/home/u/工具", "\\home\\u\\工具\\"},
        {"", ""},                     {"\\", ""},                   {"/\\//", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(normalizeTrustPath(c.path), c.key) << c.path;
}

TEST(TrustPath, BesideTheExecutable) {
    EXPECT_EQ(trustListPath(), platform::executableDirectory() + platform::kPathSeparator + "trustlist.txt");
}

class TrustListTest : public ::testing::Test {
protected:
    TrustListTest() { engine.trustListFile = test::TempDir::toUtf8(dir.path() / "trustlist.txt"); }
    std::string savedText() const { return test::readFile(dir.path() / "trustlist.txt"); }

    test::TempDir dir;
    DetectionEngine engine;
};

TEST_F(TrustListTest, MatchesContentsButNotSiblingsOrTheBareDirectory) {
    ASSERT_EQ(engine.addTrustedDir("D:\\Tools"), 1);
    struct Case {
        const char* path;
        bool trusted;
    };
    const Case cases[] = {
        {"D:\\Tools\\a.exe", true},     {"d:/tools/sub/b.dll", true}, {"D:\\TOOLS\\", true},
        {"D:\\ToolsExtra\\c.exe", false}, {"D:\\Tools", false},       {"E:\\Tools\\a.exe", false},
    };
    for (const Case& c : cases) EXPECT_EQ(engine.isTrusted(c.path), c.trusted) << c.path;

    ASSERT_EQ(engine.addTrustedDir("C:\\"), 1);
    EXPECT_TRUE(engine.isTrusted("c:\\anything\\at\\all.exe")) << "a trusted drive root covers the drive";
}

TEST_F(TrustListTest, AddRemoveByKeyAndSaveEachChange) {
    EXPECT_EQ(engine.addTrustedDir("D:\\Tools"), 1);
    EXPECT_EQ(engine.addTrustedDir("D:\\Tools\\"), 0) << "same key";
    EXPECT_EQ(engine.addTrustedDir("E:/Games"), 1);
    EXPECT_EQ(savedText(), "D:\\Tools\nE:/Games\n");
    EXPECT_EQ(engine.listTrustedDirs(), (std::vector<std::string>{"D:\\Tools", "E:/Games"}));

    EXPECT_TRUE(engine.removeTrustedDir("d:/TOOLS"));
    EXPECT_FALSE(engine.removeTrustedDir("d:/TOOLS"));
    EXPECT_EQ(savedText(), "E:/Games\n");
}

TEST_F(TrustListTest, NothingToNormaliseIsRefusedWithoutWriting) {
    EXPECT_EQ(engine.addTrustedDir(""), 0);
    EXPECT_EQ(engine.addTrustedDir("\\"), 0);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "trustlist.txt"));
}

TEST_F(TrustListTest, LoadsEditorFilesLineByLine) {
    engine.addTrustedDir("Z:\\Dropped");  // loading replaces what was there
    dir.write("trustlist.txt",
              "\xEF\xBB\xBF" "D:\\Tools\r\n"
              "  \t\r\n"
              "\t E:\\Games \t\r\n"
              "# not a comment\r\n"
              "d:/tools/\r\n"     // same key: skipped
              "\\\\\r\n"          // separators only: skipped
              "\xEF\xBB\xBF" "F:\\Bom");
    engine.loadTrustList();
    EXPECT_EQ(engine.listTrustedDirs(),
              (std::vector<std::string>{"D:\\Tools", "E:\\Games", "# not a comment", "F:\\Bom"}));
    EXPECT_TRUE(engine.isTrusted("f:\\bom\\x.exe"));
}

TEST_F(TrustListTest, MissingFileLoadsEmpty) {
    engine.addTrustedDir("Z:\\Dropped");
    std::filesystem::remove(dir.path() / "trustlist.txt");
    engine.loadTrustList();
    EXPECT_TRUE(engine.listTrustedDirs().empty());
}

TEST_F(TrustListTest, ConcurrentChangesLeaveTheNewestListOnDisk) {
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([this, t] {
            for (int i = 0; i < 25; ++i) engine.addTrustedDir("D:\\w" + std::to_string(t) + "\\" + std::to_string(i));
        });
    }
    for (auto& w : writers) w.join();
    std::string expected;
    for (const std::string& d : engine.listTrustedDirs()) expected += d + "\n";
    EXPECT_EQ(engine.listTrustedDirs().size(), 100u);
    EXPECT_EQ(savedText(), expected);
    // No temporary file is left behind.
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir.path())) files += entry.is_regular_file();
    EXPECT_EQ(files, 1);
}

}  // namespace
}  // namespace quillvarden
