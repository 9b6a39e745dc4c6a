#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/detection_engine.h"
#include "ruleengine/hidden_text.h"
#include "server/startup_wiring.h"
#include "tests/support/temp_dir.h"

namespace quillvarden {
namespace {

std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

const char* kRule = "rule Local_%d { meta: severity = low\n strings:\n $a = \"local-marker-%d\" }\n";

std::string ruleText(int n) {
    char buffer[160];
    std::snprintf(buffer, sizeof buffer, kRule, n, n);
    return buffer;
}

TEST(RuleLibrary, BuiltinsLeadAndReseedingDropsLoadedRules) {
    DetectionEngine engine;
    ASSERT_EQ(engine.rules.size(), 13u);
    EXPECT_EQ(engine.parseRules(ruleText(1) + ruleText(2)), 2u);
    EXPECT_EQ(engine.rules.size(), 15u);
    EXPECT_EQ(engine.rules[13].name, "Local_1");
    const auto records = engine.matchRules("C:\\x.bin", bytesOf(hide("local-marker-2 and xmrig").reveal()));
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].ruleName, "CoinMiner.Generic");
    EXPECT_EQ(records[1].ruleName, "Local_2");
    EXPECT_EQ(records[1].severity, Severity::Low);

    engine.loadBuiltins();
    EXPECT_EQ(engine.rules.size(), 13u);
    EXPECT_TRUE(engine.matchRules("C:\\x.bin", bytesOf("local-marker-2")).empty());
}

TEST(RuleLibrary, DirectoryTreeLoadsYarAndYaraFilesOnly) {
    test::TempDir dir;
    dir.write("rules/a.yar", ruleText(1));
    dir.write("rules/sub/deeper/b.YARA", ruleText(2) + ruleText(3));
    dir.write("rules/c.yar.txt", ruleText(4));
    dir.write("rules/yar", ruleText(5));
    dir.write("rules/d.yara.bak", ruleText(6));
    DetectionEngine engine;
    EXPECT_EQ(engine.loadRuleDirectory(dir.str() + "/rules"), 3);
    EXPECT_EQ(engine.rules.size(), 16u);
    EXPECT_EQ(engine.loadRuleDirectory(dir.str() + "/missing"), 0);
    EXPECT_EQ(engine.loadRuleFile(dir.str() + "/rules/missing.yar"), 0u);
    EXPECT_EQ(engine.matchRules("f", bytesOf("local-marker-3")).size(), 1u);
}

TEST(StartupLibraries, RulesBeforeSignaturesOncePerPathString) {
    test::TempDir dir;
    dir.write("base/rules/r.yar", ruleText(1));
    dir.write("base/signatures/s.hdb", std::string(64, 'a') + " Sig.A\n");
    DetectionEngine engine;
    const std::string base = dir.str() + "/base";
    // The same directory under two spellings is loaded twice: paths, not directories.
    const LibraryTotals totals = loadDetectionLibraries(engine, {base, base, base + "/."}, '/');
    EXPECT_EQ(totals.externalRules, 2);
    EXPECT_EQ(totals.externalHashes, 2);
    EXPECT_EQ(librarySummaryLine(engine, totals),
              "[羽岚 Quillvarden] 检测库加载完成：规则 15 条(外部新增 2)，哈希 7 条(外部新增 2)");

    DetectionEngine builtinOnly;
    EXPECT_EQ(librarySummaryLine(builtinOnly, loadDetectionLibraries(builtinOnly, {dir.str() + "/none"}, '/')),
              "[羽岚 Quillvarden] 检测库加载完成：规则 13 条(外部新增 0)，哈希 6 条(外部新增 0)");
}

TEST(StartupLibraries, Bases) {
    EXPECT_EQ(detectionLibraryBases("C:\\Q", '\\'), (std::vector<std::string>{".", "quillvarden", "C:\\Q\\..\\.."}));
    EXPECT_EQ(detectionLibraryBases("", '/'), (std::vector<std::string>{".", "quillvarden"}));
}

}  // namespace
}  // namespace quillvarden
