#include <gtest/gtest.h>

#include <string>

#include "platform/file_attributes.h"
#include "platform/process_paths.h"
#include "platform/text_encoding.h"
#include "tests/support/temp_dir.h"

namespace quillvarden::platform {
namespace {

TEST(TextEncoding, RoundTrips) {
    const std::string texts[] = {"", "plain", "C:\\用户\\病毒.exe", "emoji 😀 outside the BMP", "é"};
    for (const std::string& text : texts) {
        EXPECT_EQ(utf16ToUtf8(utf8ToUtf16(text)), text) << text;
    }
    EXPECT_EQ(utf8ToUtf16("😀"), std::u16string(u"\xD83D\xDE00"));
    EXPECT_EQ(utf8ToUtf16("羽岚"), std::u16string(u"羽岚"));
}

TEST(TextEncoding, MalformedInputBecomesReplacementCharacters) {
    const std::u16string wide = utf8ToUtf16(std::string("a\xff" "b\xe7\xbe", 5));
    ASSERT_GE(wide.size(), 3u);
    EXPECT_EQ(wide.front(), u'a');
    EXPECT_NE(wide.find(u'\xFFFD'), std::u16string::npos);
    EXPECT_NE(wide.find(u'b'), std::u16string::npos);
}

TEST(ProcessPaths, SplitsAtEitherSeparator) {
    struct Case {
        const char *path, *directory, *name;
    };
    const Case cases[] = {
        {"C:\\dl\\a.exe", "C:\\dl", "a.exe"},
        {"c:/dl/sub\\b.dll", "c:/dl/sub", "b.dll"},
        {"/usr/bin/x", "/usr/bin", "x"},
        {"plain.exe", "", "plain.exe"},
        {"dir\\", "dir", ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(directoryOf(c.path), c.directory) << c.path;
        EXPECT_EQ(fileNameOf(c.path), c.name) << c.path;
    }
}

TEST(ProcessPaths, KnowsTheRunningExecutable) {
    const std::string path = executablePath();
    ASSERT_FALSE(path.empty());
    EXPECT_NE(path.find("quillvarden_tests"), std::string::npos) << path;
    EXPECT_EQ(executableDirectory(), directoryOf(path));
    EXPECT_TRUE(isDirectory(executableDirectory()));
}

TEST(FileAttributes, ExistsDirectoryAndMissing) {
    test::TempDir dir;
    const auto file = dir.write("文件.txt", "x");
    const FileAttributes ofFile = fileAttributes(test::TempDir::toUtf8(file));
    EXPECT_TRUE(ofFile.exists);
    EXPECT_FALSE(ofFile.isDirectory);
    EXPECT_TRUE(isDirectory(dir.str()));
    EXPECT_FALSE(fileAttributes(dir.str() + "/missing").exists);
    EXPECT_FALSE(fileAttributes("").exists);
}

}  // namespace
}  // namespace quillvarden::platform
