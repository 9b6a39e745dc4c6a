#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "engine/detection_engine.h"
#include "engine/file_hash.h"
#include "narrator/rule_narrator.h"
#include "platform/ascii_text.h"
#include "ruleengine/hidden_text.h"
#include "tests/support/engine_samples.h"
#include "tests/support/pe_builder.h"
#include "tests/support/temp_dir.h"

namespace quillvarden {
namespace {

using namespace std::string_literals;

// An executable that the PE heuristics (packer section, 30) and two built-in rules
// (Mimikatz and Cobalt Strike strings) flag.
std::string suspiciousProgram() {
    const auto image = test::PeBuilder().section(".UPX0", std::vector<std::uint8_t>(512, 0x90))
                           .trailer(hide("sekurlsa::logonpasswords beacon.dll").reveal())
                           .build();
    return std::string(image.begin(), image.end());
}

const std::vector<std::string> kAllDetectors = {"HashMatch:Blacklisted", "YaraRule:HackTool.Mimikatz",
                                                "YaraRule:CobaltStrike.Beacon", "Heuristic:PE.Heuristic.Suspicious"};

std::vector<std::string> kinds(const std::vector<ThreatInfo>& records) {
    std::vector<std::string> out;
    for (const auto& r : records) out.push_back(std::string(threatTypeLabel(r.type)) + ":" + r.ruleName);
    return out;
}

class AnalysisStageTest : public ::testing::Test {
protected:
    AnalysisStageTest() {
        engine.trustListFile = test::TempDir::toUtf8(dir.path() / "trustlist.txt");
        engine.systemFolders = {foldPath(dir.str() + "/system/")};
        engine.signingCheck = [](const std::string&) { return SigningVerdict{}; };
    }
    std::string write(const std::string& name, const std::string& content) {
        return test::TempDir::toUtf8(dir.write(name, content));
    }

    test::TempDir dir;
    DetectionEngine engine;
};

TEST_F(AnalysisStageTest, UnsignedFileGetsEveryDetectorInOrder) {
    const std::string path = write("tools/agent.exe", suspiciousProgram());
    engine.sha256Table[hashFile(path, "SHA256", 32)] = "Blacklisted";
    const auto records = engine.scanFile(path);
    EXPECT_EQ(kinds(records), kAllDetectors);
    for (const ThreatInfo& r : records) {
        EXPECT_EQ(r.signatureStatus, "unsigned") << r.ruleName;
        EXPECT_EQ(r.signerName, "");
        EXPECT_EQ(r.fileSize, suspiciousProgram().size());
        EXPECT_EQ(r.sha256, hashFile(path, "SHA256", 32));
        EXPECT_EQ(r.aiSummary, "") << "no narrator, no narrative";
    }

    const std::string script = write("tools/run.bat", test::kEicar + hide("\r\ndel /f /s /q C:\\data").reveal());
    EXPECT_EQ(kinds(engine.scanFile(script)),
              (std::vector<std::string>{"Eicar:EICAR-Test-File", "YaraRule:Suspicious.BatchScript.Destructive"}));
}

TEST_F(AnalysisStageTest, SignedAndSystemFilesAreSparedTheCostlyAnalysis) {
    struct Case {
        const char* what;
        std::string name;
        SigningVerdict verdict;
        std::vector<std::string> kinds;
        std::string status;
    };
    const std::vector<Case> cases = {
        {"validly signed", "signed/agent.exe", {SignatureStatus::Trusted, "Acme Corp"}, {"HashMatch:Blacklisted"},
         "trusted"},
        {"system folder", "system/agent.exe", {}, {"HashMatch:Blacklisted"}, "unsigned"},
        {"invalid signature", "bad/agent.exe", {SignatureStatus::Untrusted, "Mallory"}, kAllDetectors, "untrusted"},
    };
    for (const Case& c : cases) {
        const std::string path = write(c.name, suspiciousProgram());
        engine.sha256Table[hashFile(path, "SHA256", 32)] = "Blacklisted";
        engine.signingCheck = [verdict = c.verdict](const std::string&) { return verdict; };
        const auto records = engine.scanFile(path);
        EXPECT_EQ(kinds(records), c.kinds) << c.what;
        for (const ThreatInfo& r : records) {
            EXPECT_EQ(r.signatureStatus, c.status) << c.what;
            EXPECT_EQ(r.signerName, c.verdict.signer) << c.what;
        }
    }
}

TEST_F(AnalysisStageTest, EveryRecordIsNarratedAsAOneStepChain) {
    RuleNarrator narrator;
    engine.narrator = &narrator;
    const std::string path = write("dl/miner.sh", hide("./xmrig --donate-level 0").reveal());
    const auto records = engine.scanFile(path);
    ASSERT_EQ(kinds(records), std::vector<std::string>{"YaraRule:CoinMiner.Generic"});
    const ThreatInfo& r = records[0];
    EXPECT_EQ(r.severity, Severity::High);
    EXPECT_EQ(r.aiSummary, "检测到高危攻击链（风险分 70），涉及 1 个进程、1 个关联事件，横跨 执行 战术阶段。");
    EXPECT_EQ(r.aiStory, "本次高危事件呈现出清晰的攻击链条：第 1 步，miner.sh 向磁盘落地文件 " + path +
                             "；建议立即隔离处置。");
    EXPECT_EQ(r.aiSuggestions, (std::vector<std::string>{"立即将受影响主机从网络中隔离，阻断可能的 C2 通信",
                                                         "删除并送检落地样本 " + path,
                                                         "复盘钓鱼邮件来源，对相关员工做安全意识提醒"}));

    const auto critical = engine.scanFile(write("dl/eicar.com", test::kEicar));
    ASSERT_EQ(critical.size(), 2u);
    EXPECT_EQ(critical[0].aiSummary,
              "检测到低危攻击链（风险分 30），涉及 1 个进程、1 个关联事件，横跨 执行 战术阶段。");
    EXPECT_EQ(critical[1].aiSummary,
              "检测到高危攻击链（风险分 90），涉及 1 个进程、1 个关联事件，横跨 执行 战术阶段。");
}

TEST(AnalysisStageSystem, UnreadableFilesAreUnsignedForTheSystemCheck) {
    EXPECT_EQ(systemSigningVerdict("").status, SignatureStatus::Unsigned);
    EXPECT_EQ(std::string(signatureStatusText(static_cast<SignatureStatus>(9))), "unsigned");
}

}  // namespace
}  // namespace quillvarden
