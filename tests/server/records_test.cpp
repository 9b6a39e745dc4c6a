#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "server/records/json_text.h"
#include "server/records/scan_progress.h"
#include "server/records/threat_info.h"
#include "server/records/threat_list.h"

namespace quillvarden {
namespace {

ThreatInfo withEnums(int type, int severity) {
    ThreatInfo t;
    t.type = static_cast<ThreatType>(type);
    t.severity = static_cast<Severity>(severity);
    return t;
}

struct ThreatJsonCase {
    const char* name;
    ThreatInfo record;
    std::string expected;
};

TEST(ThreatInfoJson, SerialisesEveryMemberInKeyOrder) {
    ThreatInfo full;
    full.filePath = "C:\\样本\\病毒.exe";
    full.fileName = "病毒.exe";
    full.fileSize = 18446744073709551615ull;
    full.sha256 = "ab";
    full.type = ThreatType::Eicar;
    full.severity = Severity::Critical;
    full.ruleName = "EICAR-Test-File";
    full.description = "EICAR 标准防病毒测试文件";
    full.detectedAtMs = -1;
    full.quarantined = true;
    full.signatureStatus = "unsigned";
    full.aiSummary = "摘要";
    full.aiStory = "第一行\n第二行";
    full.aiSuggestions = {"一", "二"};

    const std::vector<ThreatJsonCase> cases = {
        {"default record", ThreatInfo{},
         R"({"aiStory":"","aiSuggestions":[],"aiSummary":"","deleted":false,"description":"",)"
         R"("detectedAtMs":0,"fileName":"","filePath":"","fileSize":0,"quarantined":false,)"
         R"("ruleName":"","severity":"Medium","severityCn":"中危","sha256":"","signatureStatus":"",)"
         R"("signerName":"","type":"Suspicious","typeCn":"综合可疑"})"},
        {"every field, raw UTF-8, line feed escaped by JSON", full,
         R"({"aiStory":"第一行\n第二行","aiSuggestions":["一","二"],"aiSummary":"摘要","deleted":false,)"
         R"("description":"EICAR 标准防病毒测试文件","detectedAtMs":-1,"fileName":"病毒.exe",)"
         R"("filePath":"C:\\样本\\病毒.exe","fileSize":18446744073709551615,"quarantined":true,)"
         R"("ruleName":"EICAR-Test-File","severity":"Critical","severityCn":"严重","sha256":"ab",)"
         R"("signatureStatus":"unsigned","signerName":"","type":"Eicar","typeCn":"EICAR 测试文件"})"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(dumpCompact(c.record.toJson()), c.expected) << c.name;
    }
}

TEST(ThreatInfoJson, LabelsAreTotal) {
    struct Case {
        int type, severity;
        const char *typeLabel, *typeCn, *severityLabel, *severityCn;
    };
    const Case cases[] = {
        {0, 0, "HashMatch", "哈希黑名单命中", "Low", "低危"},
        {1, 1, "YaraRule", "规则特征命中", "Medium", "中危"},
        {2, 2, "Heuristic", "PE 启发式检测", "High", "高危"},
        {3, 3, "Eicar", "EICAR 测试文件", "Critical", "严重"},
        {4, 4, "Suspicious", "综合可疑", "Medium", "中危"},
        {9, 7, "Suspicious", "综合可疑", "Medium", "中危"},
        {-1, -1, "Suspicious", "综合可疑", "Medium", "中危"},
    };
    for (const Case& c : cases) {
        const auto json = withEnums(c.type, c.severity).toJson();
        EXPECT_EQ(json["type"], c.typeLabel) << c.type;
        EXPECT_EQ(json["typeCn"], c.typeCn) << c.type;
        EXPECT_EQ(json["severity"], c.severityLabel) << c.severity;
        EXPECT_EQ(json["severityCn"], c.severityCn) << c.severity;
    }
}

TEST(ScanProgressJson, SerialisesFiveMembersInKeyOrder) {
    EXPECT_EQ(dumpCompact(ScanProgress{}.toJson()),
              R"({"currentFile":"","running":false,"scannedFiles":0,"threatsFound":0,"totalFiles":0})");
    const ScanProgress running{12, 3, 1, true, "/tmp/扫描/a.exe"};
    EXPECT_EQ(dumpCompact(running.toJson()),
              R"({"currentFile":"/tmp/扫描/a.exe","running":true,"scannedFiles":3,"threatsFound":1,"totalFiles":12})");
}

class ThreatListTest : public ::testing::Test {
protected:
    void SetUp() override { clearThreats(); }
    void TearDown() override { clearThreats(); }
};

TEST_F(ThreatListTest, KeepsOrderAndDuplicatesAndMarksEveryExactMatch) {
    ThreatInfo a;
    a.filePath = "C:\\dl\\a.exe";
    ThreatInfo b;
    b.filePath = "C:\\dl\\b.exe";
    addThreat(a);
    addThreat(b);
    addThreat(a);

    EXPECT_EQ(markThreatsByPath("C:\\dl\\a.exe", ThreatMark::Quarantined), 2u);
    // Another spelling of the same file marks nothing.
    EXPECT_EQ(markThreatsByPath("c:/dl/b.exe", ThreatMark::Deleted), 0u);
    EXPECT_EQ(markThreatsByPath("C:\\dl\\b.exe", ThreatMark::Deleted), 1u);

    const auto list = snapshotThreats();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].filePath, "C:\\dl\\a.exe");
    EXPECT_EQ(list[1].filePath, "C:\\dl\\b.exe");
    EXPECT_TRUE(list[0].quarantined && list[2].quarantined);
    EXPECT_FALSE(list[0].deleted);
    EXPECT_TRUE(list[1].deleted && !list[1].quarantined);

    clearThreats();
    EXPECT_TRUE(snapshotThreats().empty());
}

}  // namespace
}  // namespace quillvarden
