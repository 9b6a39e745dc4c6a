#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "engine/detection_engine.h"
#include "platform/process_paths.h"
#include "tests/support/engine_samples.h"
#include "tests/support/temp_dir.h"

namespace quillvarden {
namespace {

namespace fs = std::filesystem;
using test::kEicar;

class DirectoryScanTest : public ::testing::Test {
protected:
    DirectoryScanTest() { engine.trustListFile = test::TempDir::toUtf8(dir.path() / "trustlist.txt"); }
    std::string root() const { return dir.str() + platform::kPathSeparator + "root"; }
    std::string under(const std::string& relative) const {
        std::string path = root();
        for (const char c : "/" + relative) path.push_back(c == '/' ? platform::kPathSeparator : c);
        return path;
    }

    test::TempDir dir;
    DetectionEngine engine;
};

TEST_F(DirectoryScanTest, CollectsEveryFileButSkipsQuarantineAndTrustedFolders) {
    dir.write("root/a.exe", "a");
    dir.write("root/notes.txt", "n");  // every file counts, scannable or not
    dir.write("root/sub/deeper/b.dll", "b");
    dir.write("root/Quarantine_old/c.exe", "c");
    dir.write("root/myQUARANTINE/d.exe", "d");
    dir.write("root/trusted/e.exe", "e");
    dir.write("root/trusted2/f.exe", "f");
    dir.makeDir("root/empty");
    engine.addTrustedDir(under("trusted"));

    std::vector<std::string> files;
    engine.collectFiles(root(), files);
    std::sort(files.begin(), files.end());
    std::vector<std::string> expected = {under("a.exe"), under("notes.txt"), under("sub/deeper/b.dll"),
                                         under("trusted2/f.exe")};
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(files, expected);

    files.clear();
    engine.collectFiles(under("missing"), files);
    EXPECT_TRUE(files.empty());
}

TEST_F(DirectoryScanTest, SubdirectoryFilesComeWhereTheSubdirectoryIsMet) {
    dir.write("root/only/x.exe", "x");
    dir.write("root/only/inner/y.exe", "y");
    dir.write("root/only/z.exe", "z");
    std::vector<std::string> files;
    engine.collectFiles(under("only"), files);
    ASSERT_EQ(files.size(), 3u);
    // Depth first: the inner file sits between its siblings or at an end, never split off.
    const auto inner = std::find(files.begin(), files.end(), under("only/inner/y.exe"));
    EXPECT_NE(inner, files.end());
}

TEST_F(DirectoryScanTest, LinkCyclesAreNotFollowedForever) {
    dir.write("root/loop/a.exe", "a");
    std::error_code made;
    fs::create_directory_symlink(dir.path() / "root", dir.path() / "root" / "loop" / "back", made);
    if (made) GTEST_SKIP() << "this system cannot make directory links here";
    std::vector<std::string> files;
    engine.collectFiles(root(), files);
    EXPECT_EQ(files, std::vector<std::string>{under("loop/a.exe")});
}

TEST_F(DirectoryScanTest, ProgressAndThreatCallbacksInOrder) {
    dir.write("root/eicar.com", kEicar);
    dir.write("root/clean.exe", "clean");
    std::vector<std::string> calls;
    std::vector<ScanProgress> progress;
    engine.scanDirectory(
        root(), [&](const ThreatInfo& t) { calls.push_back("threat:" + t.fileName); },
        [&](const ScanProgress& p) {
            calls.push_back("progress:" + std::to_string(p.scannedFiles));
            progress.push_back(p);
        });
    ASSERT_EQ(progress.size(), 4u);
    EXPECT_EQ(progress.front(), (ScanProgress{2, 0, 0, true, ""}));
    EXPECT_EQ(progress.back(), (ScanProgress{2, 2, 2, false, ""}));
    EXPECT_TRUE(progress[1].running);
    EXPECT_FALSE(progress[1].currentFile.empty());
    EXPECT_FALSE(engine.scanning.load());

    // Threat calls of a file come before that file's progress call.
    const auto eicarFirst = std::find(calls.begin(), calls.end(), "threat:eicar.com");
    ASSERT_NE(eicarFirst, calls.end());
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "threat:eicar.com"), 2);
    EXPECT_TRUE(eicarFirst[2].rfind("progress:", 0) == 0);
}

TEST_F(DirectoryScanTest, EmptyOrUnlistableRootReportsStartAndEnd) {
    dir.makeDir("root");
    for (const std::string& target : {root(), under("missing")}) {
        std::vector<ScanProgress> progress;
        engine.scanDirectory(target, nullptr, [&](const ScanProgress& p) { progress.push_back(p); });
        EXPECT_EQ(progress, (std::vector<ScanProgress>{{0, 0, 0, true, ""}, {0, 0, 0, false, ""}})) << target;
    }
}

TEST_F(DirectoryScanTest, StopEndsBeforeTheNextFile) {
    for (int i = 0; i < 6; ++i) dir.write("root/f" + std::to_string(i) + ".exe", "x");
    std::vector<ScanProgress> progress;
    engine.scanDirectory(root(), nullptr, [&](const ScanProgress& p) {
        progress.push_back(p);
        if (p.scannedFiles == 3 && p.running) engine.stopDirectoryScan();
    });
    EXPECT_EQ(progress.back(), (ScanProgress{6, 3, 0, false, ""}));
    EXPECT_EQ(progress.size(), 5u);
}

TEST_F(DirectoryScanTest, StoppedScanStaysStoppedWhenAnotherStarts) {
    for (int i = 0; i < 4; ++i) dir.write("root/f" + std::to_string(i) + ".exe", "x");
    std::vector<ScanProgress> first;
    ScanTicket second = 0;
    engine.scanDirectory(root(), nullptr, [&](const ScanProgress& p) {
        first.push_back(p);
        if (p.scannedFiles == 1 && p.running) {
            engine.stopDirectoryScan();
            second = engine.tryBeginDirectoryScan();  // a new scan claims the engine at once
        }
    });
    EXPECT_EQ(first.back().scannedFiles, 1);
    ASSERT_NE(second, 0u);
    EXPECT_TRUE(engine.scanning.load()) << "the stopped scan must not clear the new scan's flag";
    EXPECT_EQ(engine.tryBeginDirectoryScan(), 0u);
    engine.stopDirectoryScan();
}

}  // namespace
}  // namespace quillvarden
