#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/pe_heuristics.h"
#include "ruleengine/hidden_text.h"
#include "tests/support/pe_builder.h"

namespace quillvarden {
namespace {

using test::PeBuilder;

const std::vector<std::uint8_t> kPlain(1024, 0x90);
const std::vector<std::uint8_t> kDense = PeBuilder::randomBytes(8192);
using namespace std::string_literals;
const std::string kAllThree = hide("VirtualAllocEx\0WriteProcessMemory\0CreateRemoteThread").reveal();
const std::string kTwo = hide("VirtualAllocEx\0WriteProcessMemory").reveal();
const std::string kNormalPath = "C:\\Program Files\\App\\app.exe";

struct Verdict {
    int score;  // 0: no record
    Severity severity;
};

Verdict judge(const std::string& path, const std::vector<std::uint8_t>& image) {
    const auto records = analyzePeImage(path, image);
    if (records.empty()) return {0, Severity::Low};
    const std::string& text = records[0].description;
    const auto open = text.find("得分 ") + std::string("得分 ").size();
    return {std::stoi(text.substr(open)), records[0].severity};
}

TEST(PeHeuristics, Scores) {
    struct Case {
        const char* what;
        std::string path;
        std::vector<std::uint8_t> image;
        int score;
        Severity severity;
    };
    const std::vector<Case> cases = {
        {"one packer section", kNormalPath, PeBuilder().section(".UPX0", kPlain).build(), 30, Severity::Medium},
        {"two packer sections", kNormalPath, PeBuilder().section(".UPX0", kPlain).section(".UPX1", kPlain).build(), 60,
         Severity::Critical},
        {"every packer name", kNormalPath,
         PeBuilder().section(".aspack", kPlain).section(".adata", kPlain).section(".nsp0", kPlain)
             .section(".vmp0", kPlain).section(".themida", kPlain).section(".packed", kPlain).build(), 180,
         Severity::Critical},
        {"no dot", kNormalPath, PeBuilder().section("UPX0", kPlain).build(), 0, Severity::Low},
        {"lower case", kNormalPath, PeBuilder().section(".upx0", kPlain).build(), 0, Severity::Low},
        {"eight-letter name", kNormalPath, PeBuilder().section(".themida", kPlain).build(), 30, Severity::Medium},
        {"packer with dense data", kNormalPath, PeBuilder().section(".UPX1", kDense).build(), 55, Severity::High},
        {"dense data alone", kNormalPath, PeBuilder().section(".text", kDense).build(), 0, Severity::Low},
        {"entropy 7.0 does not count", kNormalPath,
         PeBuilder().section(".UPX0", PeBuilder::evenBytes(128, 32)).build(), 30, Severity::Medium},
        {"entropy 8.0 counts", kNormalPath, PeBuilder().section(".UPX0", PeBuilder::evenBytes(256, 32)).build(), 55,
         Severity::High},
        {"three injection APIs", kNormalPath, PeBuilder().section(".text", kPlain).trailer(kAllThree).build(), 40,
         Severity::High},
        {"three APIs and a packer", kNormalPath,
         PeBuilder().section(".UPX0", kPlain).trailer(kAllThree).build(), 70, Severity::Critical},
        {"two APIs in a temp folder", "C:\\Users\\u\\AppData\\Local\\Temp\\a.exe",
         PeBuilder().section(".text", kPlain).trailer(kTwo).build(), 30, Severity::Medium},
        {"two APIs alone", kNormalPath, PeBuilder().section(".text", kPlain).trailer(kTwo).build(), 0, Severity::Low},
        {"remote thread without the pair", kNormalPath,
         PeBuilder().section(".UPX0", kPlain).trailer(hide("CreateRemoteThread WriteProcessMemory").reveal()).build(), 30,
         Severity::Medium},
        {"temp folder alone", "C:\\TEMP\\x.exe", PeBuilder().section(".text", kPlain).build(), 0, Severity::Low},
        {"packer in a Linux /tmp", "/tmp/x.exe", PeBuilder().section(".UPX0", kPlain).build(), 40, Severity::High},
        {"96 sections", kNormalPath,
         PeBuilder().section(".UPX0", kPlain).claimedSectionCount(96).trailer(std::string(8192, '\0')).build(), 30,
         Severity::Medium},
    };
    for (const Case& c : cases) {
        const Verdict verdict = judge(c.path, c.image);
        EXPECT_EQ(verdict.score, c.score) << c.what;
        if (c.score) {
            EXPECT_EQ(verdict.severity, c.severity) << c.what;
        }
    }
}

TEST(PeHeuristics, RecordAndReasonsInOrder) {
    const auto image = PeBuilder().section(".UPX0", PeBuilder::evenBytes(256, 16)).section(".text", kPlain)
                           .trailer(kAllThree).build();
    const auto records = analyzePeImage("C:\\Windows\\Temp\\dropper.exe", image);
    ASSERT_EQ(records.size(), 1u);
    const ThreatInfo& r = records[0];
    EXPECT_EQ(r.type, ThreatType::Heuristic);
    EXPECT_EQ(r.severity, Severity::Critical);
    EXPECT_EQ(r.ruleName, "PE.Heuristic.Suspicious");
    EXPECT_EQ(r.fileName, "dropper.exe");
    EXPECT_EQ(r.filePath, "C:\\Windows\\Temp\\dropper.exe");
    // Through a variable: an assertion's text is kept in the binary as written.
    const std::string expected =
        "PE 启发式检测命中(得分 105)：PE 节名 \".UPX0\" 为已知加壳器特征；节 \".UPX0\" 熵值过高(8.00)，疑似加密/压缩；" +
        hide("导入了进程注入 API 三件套(VirtualAllocEx+WriteProcessMemory+CreateRemoteThread)；PE 文件位于临时目录").reveal();
    EXPECT_EQ(r.description, expected);
    EXPECT_EQ(r.fileSize, 0u) << "the pipeline fills size and digest";
    EXPECT_GT(r.detectedAtMs, 0);

    const auto packerOnly = analyzePeImage("x.exe", PeBuilder().section(".UPX0", kPlain).build());
    ASSERT_EQ(packerOnly.size(), 1u);
    EXPECT_EQ(packerOnly[0].description, "PE 启发式检测命中(得分 30)：PE 节名 \".UPX0\" 为已知加壳器特征");
    EXPECT_EQ(packerOnly[0].fileName, "x.exe");
}

TEST(PeHeuristics, EntropyText) {
    EXPECT_EQ(entropyText(7.534821), "7.53");
    EXPECT_EQ(entropyText(7.999999), "7.99");
    EXPECT_EQ(entropyText(8.0), "8.00");
    EXPECT_EQ(entropyText(7.2), "7.20");
    const auto even = PeBuilder::evenBytes(4, 10);
    EXPECT_DOUBLE_EQ(byteEntropy(even.data(), even.size()), 2.0);
    EXPECT_DOUBLE_EQ(byteEntropy(nullptr, 0), 0.0);
}

TEST(PeHeuristics, MalformedImagesYieldNothingOrOnlyWhatCanBeChecked) {
    const auto packed = [] { return PeBuilder().section(".UPX0", kPlain).trailer(kAllThree); };
    auto truncate = [](std::vector<std::uint8_t> image, std::size_t size) {
        image.resize(size);
        return image;
    };
    struct Case {
        const char* what;
        std::vector<std::uint8_t> image;
        int score;
    };
    const std::vector<Case> cases = {
        {"shorter than 64 bytes", truncate(packed().build(), 63), 0},
        {"no MZ", [&] { auto i = packed().build(); i[0] = 'Z'; return i; }(), 0},
        {"PE offset past the end", packed().peHeaderOffset(0x7FFFFFF0).build(), 0},
        {"PE offset near 4 GiB", packed().peHeaderOffset(0xFFFFFFFF).build(), 0},
        {"PE header cut short", truncate(packed().build(), 0x80 + 20), 0},
        {"no PE signature", [&] { auto i = packed().build(); i[0x81] = 'X'; return i; }(), 0},
        {"97 sections", packed().claimedSectionCount(97).trailer(std::string(8192, '\0')).build(), 0},
        {"table claims more than the image", packed().claimedSectionCount(90).optionalHeaderSize(0xFFFF).build(), 40},
        {"raw data past the end", PeBuilder().section(".UPX1", kDense).firstRawOffset(0x7FFFFFFF).build(), 30},
        {"raw data ends past the content", truncate(PeBuilder().section(".UPX1", kDense).build(), 0x400 + 100), 30},
        {"no sections", PeBuilder().trailer(kAllThree).build(), 40},
        {"not an image", std::vector<std::uint8_t>(4096, 'A'), 0},
    };
    for (const Case& c : cases) EXPECT_EQ(judge(kNormalPath, c.image).score, c.score) << c.what;
}

}  // namespace
}  // namespace quillvarden
