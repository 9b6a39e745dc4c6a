// The program must not detect itself: a copy of it in a scanned folder, or a test
// binary started while execution protection runs, must pass the built-in rules.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/detection_engine.h"
#include "platform/process_paths.h"
#include "server/records/threat_info.h"
#include "tests/support/temp_dir.h"

namespace quillvarden {
namespace {

namespace fs = std::filesystem;

// A build path as this target can open it (Wine sees the Linux tree on drive Z:).
std::string openable(std::string path) {
#ifdef _WIN32
    if (!path.empty() && path[0] == '/') {
        for (char& c : path) c = c == '/' ? '\\' : c;
        path = "Z:" + path;
    }
#endif
    return path;
}

std::vector<std::string> builtBinaries() {
    std::vector<std::string> binaries = {platform::executablePath(), openable(QV_APP_BINARY)};
#ifdef QV_E2E_BINARY
    binaries.push_back(QV_E2E_BINARY);
#endif
    return binaries;
}

std::vector<std::string> describe(const std::vector<ThreatInfo>& threats) {
    std::vector<std::string> names;
    for (const ThreatInfo& threat : threats) names.push_back(threat.ruleName);
    return names;
}

TEST(SelfScan, NoBuiltBinaryMatchesTheBuiltInRules) {
    test::TempDir dir;
    DetectionEngine engine;
    engine.trustListFile = test::TempDir::toUtf8(dir.path() / "trustlist.txt");
    for (const std::string& binary : builtBinaries()) {
        std::ifstream in(fs::path(binary), std::ios::binary);
        ASSERT_TRUE(in) << binary;
        const std::string bytes((std::istreambuf_iterator<char>(in)), {});
        ASSERT_GT(bytes.size(), 100000u) << binary;

        // As a user's scan sees a copy of it (outside the program's own folder, where
        // nothing is ever scanned), under an executable's name.
        const fs::path copy = dir.write("copies/" + fs::path(binary).stem().string() + ".exe", bytes);
        EXPECT_EQ(describe(engine.scanFile(test::TempDir::toUtf8(copy))), std::vector<std::string>{}) << binary;

        // And every part of it, not only the head the scan reads.
        constexpr std::size_t kWindow = 2 << 20;
        constexpr std::size_t kOverlap = 4096;
        for (std::size_t at = 0; at < bytes.size(); at += kWindow - kOverlap) {
            const std::vector<std::uint8_t> window(bytes.begin() + at,
                                                   bytes.begin() + std::min(bytes.size(), at + kWindow));
            EXPECT_EQ(describe(engine.matchRules("C:\\copy.exe", window)), std::vector<std::string>{})
                << binary << " at " << at;
        }
    }
}

}  // namespace
}  // namespace quillvarden
