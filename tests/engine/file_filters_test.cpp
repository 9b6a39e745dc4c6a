#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/file_filters.h"
#include "platform/process_paths.h"
#include "platform/system_folders.h"

namespace quillvarden {
namespace {

TEST(FileFilters, ScannableExtensions) {
    struct Case {
        const char* name;
        bool scannable;
    };
    const Case cases[] = {
        {"report.PDF.EXE", true}, {"a.dll", true},      {"x.Ps1", true},       {"run.hta", true},
        {"tool.pl", true},        {"setup.exe.txt", false}, {"Makefile", false}, {"file.", false},
        {"old.pif", false},       {"exe", false},       {".exe", true},        {"a.exe ", false},
    };
    for (const Case& c : cases) EXPECT_EQ(hasScannableExtension(c.name), c.scannable) << c.name;
}

TEST(FileFilters, ContainsIgnoreCase) {
    EXPECT_TRUE(containsIgnoreCase("C:\\TEMP\\a.exe", "\\temp\\"));
    EXPECT_TRUE(containsIgnoreCase("D:\\Quarantine_old", "quarantine"));
    EXPECT_FALSE(containsIgnoreCase("anything", ""));
    EXPECT_FALSE(containsIgnoreCase("ab", "abc"));
    EXPECT_TRUE(containsIgnoreCase("病毒QUARANTINE", "quarantine"));
    EXPECT_FALSE(containsIgnoreCase("ÄB", "äb")) << "only ASCII letters fold";
}

TEST(FileFilters, SystemPathsOfTheWindowsDirectory) {
    const auto prefixes = systemPathPrefixes("C:\\Windows", {});
    ASSERT_EQ(prefixes.size(), 6u);
    EXPECT_EQ(prefixes.front(), "c:\\windows\\system32\\");
    struct Case {
        const char* path;
        bool system;
    };
    const Case cases[] = {
        {"C:\\Windows\\System32\\drivers\\x.sys", true},
        {"c:/windows/syswow64/a.dll", true},
        {"C:\\WINDOWS\\WinSxS\\amd64\\b.dll", true},
        {"C:\\Windows\\Microsoft.NET\\Framework\\c.dll", true},
        {"C:\\Windows\\Temp\\x.exe", false},
        {"D:\\backup\\Windows\\System32\\x.exe", false},
        {"C:\\Windows\\System32", false},
        {"C:\\Windows\\System32x\\a.exe", false},
    };
    for (const Case& c : cases) EXPECT_EQ(isSystemPathUnder(c.path, prefixes), c.system) << c.path;
    EXPECT_TRUE(systemPathPrefixes("", {}).empty());
}

TEST(FileFilters, SystemPathsOfThisSystem) {
    const std::string windows = platform::windowsDirectory();
    if (!windows.empty()) {
        EXPECT_TRUE(isSystemPath(windows + "\\System32\\kernel32.dll"));
        EXPECT_FALSE(isSystemPath(windows + "\\Temp\\x.exe"));
    } else {
        EXPECT_TRUE(isSystemPath("/usr/bin/ls"));
        EXPECT_TRUE(isSystemPath("/usr/lib/x86_64-linux-gnu/libc.so.6"));
        EXPECT_FALSE(isSystemPath("/usr/local/bin/tool"));
        EXPECT_FALSE(isSystemPath("/home/u/usr/bin/x"));
    }
}

TEST(FileFilters, SelfPaths) {
    const std::string exe = "C:\\Program Files\\Quillvarden\\quillvarden.exe";
    struct Case {
        const char* path;
        bool self;
    };
    const Case cases[] = {
        {"C:\\PROGRAM FILES\\QUILLVARDEN\\QUILLVARDEN.EXE", true},
        {"C:\\Program Files\\Quillvarden\\quarantine\\a.exe.quarantine", true},
        {"c:/program files/quillvarden/rules/x.yar", true},
        {"C:\\Program Files\\Quillvarden\\trustlist.txt", true},
        {"C:\\Users\\u\\AppData\\Local\\App\\EBWebView\\Default\\x.js", true},
        {"C:\\Apps\\tool.exe.WebView2\\y.dll", true},
        {"C:\\Program Files\\QuillvardenTools\\x.exe", false},
        {"C:\\Program Files\\quillvarden.exe", false},
        {"D:\\dl\\a.exe", false},
    };
    for (const Case& c : cases) EXPECT_EQ(isSelfPathOf(c.path, exe), c.self) << c.path;
    EXPECT_FALSE(isSelfPathOf("D:\\dl\\a.exe", "")) << "an unknown executable path matches nothing";
    EXPECT_TRUE(isSelfPath(platform::executablePath()));
    EXPECT_TRUE(isSelfPath(platform::executableDirectory() + "/anything.exe"));
}

}  // namespace
}  // namespace quillvarden
