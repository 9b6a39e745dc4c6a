#include <gtest/gtest.h>

#include <filesystem>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "chain/chain_engine.h"
#include "engine/quarantine.h"
#include "narrator/rule_narrator.h"
#include "protection/autostart_alert.h"
#include "protection/host_hooks.h"
#include "protection/protection_switches.h"
#include "protection/reblock_guards.h"
#include "tests/support/autostart_fixture.h"
#include "tests/support/protection_recorders.h"
#include "tests/support/wait_until.h"

namespace quillvarden {
namespace {

using nlohmann::json;

TEST(ExtractProgramPath, TakesTheProgramOfACommandLine) {
    struct Case {
        std::string command, path;
    };
    const std::vector<Case> cases = {
        {"\"C:\\Program Files\\App\\app.exe\" --min", "C:\\Program Files\\App\\app.exe"},
        {"C:\\Tools\\Run.EXE /s", "C:\\Tools\\Run.EXE"},
        {"rundll32 shell32.dll,Control_RunDLL", "rundll32"},
        {"   \"C:\\a b\\x", "C:\\a b\\x"},
        {"", ""},
        {" \t\r\n", ""},
        {"C:\\x\\setup.bat then C:\\y\\real.exe -q", "C:\\x\\setup.bat then C:\\y\\real.exe"},  // .exe wins
        {"cmd.com /c start", "cmd.com"},
        {"/usr/bin/env python3 /opt/x.py", "/usr/bin/env"},
        {"\"\"", ""},
    };
    for (const Case& c : cases) EXPECT_EQ(extractProgramPath(c.command), c.path) << c.command;
}

AttackChain chainOf(std::int32_t level, std::uint32_t score, std::string summary = "一条摘要") {
    AttackChain chain;
    chain.level = level;
    chain.score = score;
    chain.summary = std::move(summary);
    chain.story = "故事";
    chain.suggestions = {"建议一"};
    chain.reasons = {"理由一"};
    return chain;
}

TEST(AutostartAlertText, TellsWhatHappenedForEachSwitchAndOutcome) {
    const RegistryEvent event{"HKCU", "Software\\Microsoft\\Windows\\CurrentVersion\\Run", "Updater",
                              "C:\\u\\updater.exe", 1700000000000};
    const std::string target = autostartTarget(event);
    const std::string head = "检测到程序正在添加开机自启动项（持久化行为）\n\n自启动位置：" + target +
                             "\n启动命令：C:\\u\\updater.exe\n\n风险等级：";
    struct Case {
        std::string what;
        bool autoBlock;
        BlockOutcome outcome;
        AttackChain chain;
        std::string title, text;
    };
    const std::vector<Case> cases = {
        {"off", false, {}, chainOf(0, 30), "羽岚 Quillvarden · 实时防护告警",
         head + "低危（风险分 30）\n\nAI 研判：一条摘要\n\n若非本人主动安装软件所为，建议立即清除该自启动项。"},
        {"on, blocked", true, {true, true, 2}, chainOf(2, 90), "羽岚 Quillvarden · 已自动拦截",
         head + "高危（风险分 90）\n\nAI 研判：一条摘要\n\n【已执行自动拦截】\n· 撤销自启动项：成功\n· 结束运行进程：2 个" +
             "\n· 阻止再次运行：未设置(可能需管理员权限)"},
        {"on, nothing took", true, {true, false, 0}, chainOf(2, 100, ""), "羽岚 Quillvarden · 已自动拦截",
         head + "高危（风险分 100）\n\n\n【已执行自动拦截】\n· 撤销自启动项：未成功\n· 结束运行进程：0 个" +
             "\n· 阻止再次运行：未设置(可能需管理员权限)\n\n注意：自动拦截未能生效，建议以管理员身份运行本程序后重试。"},
        {"on, below high", true, {}, chainOf(1, 60), "羽岚 Quillvarden · 实时防护告警",
         head + "中危（风险分 60）\n\nAI 研判：一条摘要\n\n自动拦截已开启：当前风险未达到高危，暂未拦截。" +
             "若非本人主动安装软件所为，建议立即清除该自启动项。"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(autostartAlertTitle(c.autoBlock, c.outcome), c.title) << c.what;
        EXPECT_EQ(autostartAlertText(event, c.chain, c.autoBlock, c.outcome), c.text) << c.what;
    }

    const json alert = protectionAlertJson(event, chainOf(2, 90), true, {true, false, 3}, "C:\\u\\updater.exe");
    EXPECT_EQ(alert, json({{"category", "registry_autostart"},
                           {"hive", "HKCU"},
                           {"keyPath", event.keyPath},
                           {"valueName", "Updater"},
                           {"command", "C:\\u\\updater.exe"},
                           {"target", target},
                           {"timestampMs", 1700000000000},
                           {"riskScore", 90},
                           {"level", "High"},
                           {"levelCn", "高危"},
                           {"aiSummary", "一条摘要"},
                           {"aiStory", "故事"},
                           {"aiSuggestions", {"建议一"}},
                           {"reasons", {"理由一"}},
                           {"autoBlock", true},
                           {"blocked", true},
                           {"autostartRevoked", false},
                           {"procKilled", 3},
                           {"ifeoBlocked", false},
                           {"exePath", "C:\\u\\updater.exe"}}));
}

class AutostartAlertHandlerTest : public ::testing::Test {
protected:
    AutostartAlertHandlerTest()
        : chains(&narrator),
          handler(chains, sink.sink(), guards,
                  [this](const std::string& file) { return quarantineFileInto(file, quarantine.str()); }) {
        installNotifier(notifier);
    }
    ~AutostartAlertHandlerTest() override {
        installNotifier(nullptr);
        autoBlockEnabled.store(false);
        protectionEnabled.store(true);
        guards.stopAll();
    }

    RegistryEvent written(const std::string& name, const std::string& command) {
        fixture.writeValue(0, name, command);
        const auto& location = fixture.locations()[0];
        return {location.hive, location.keyPath, test::AutostartFixture::valueName(name), command, 1700000000000};
    }

    test::TempDir quarantine;
    test::AutostartFixture fixture{1};
    RuleNarrator narrator;
    ChainEngine chains;
    test::RecordingSink sink;
    std::shared_ptr<test::RecordingNotifier> notifier = std::make_shared<test::RecordingNotifier>();
    ReblockGuards guards;
    AutostartAlertHandler handler;
};

TEST_F(AutostartAlertHandlerTest, RepeatsRaiseTheChainUntilTheThirdIsBlocked) {
    autoBlockEnabled.store(true);
    const std::string command = "C:\\nowhere\\qv-test-updater.exe --silent";
    const std::vector<std::pair<int, std::string>> expected = {{30, "Low"}, {60, "Medium"}, {90, "High"}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        handler(written("Updater" + std::to_string(i), command));
    }
    const auto alerts = sink.named("protection_alert");
    ASSERT_EQ(alerts.size(), 3u);
    for (std::size_t i = 0; i < alerts.size(); ++i) {
        const json alert = json::parse(alerts[i]);
        EXPECT_EQ(alert["riskScore"], expected[i].first);
        EXPECT_EQ(alert["level"], expected[i].second);
        EXPECT_EQ(alert["blocked"], i == 2) << i;
        EXPECT_EQ(alert["autostartRevoked"], i == 2) << i;
        EXPECT_FALSE(alert["aiSummary"].get<std::string>().empty());
        EXPECT_EQ(alert["exePath"], "C:\\nowhere\\qv-test-updater.exe");
    }
    EXPECT_TRUE(fixture.hasValue(0, "Updater0"));
    EXPECT_TRUE(fixture.hasValue(0, "Updater1"));
    EXPECT_FALSE(fixture.hasValue(0, "Updater2"));
    const auto balloons = notifier->balloons();
    ASSERT_EQ(balloons.size(), 3u);
    EXPECT_EQ(balloons[2].first, "羽岚 Quillvarden · 已自动拦截");
    EXPECT_EQ(balloons[0].first, "羽岚 Quillvarden · 实时防护告警");

    // The guard undoes the entry when it comes back within its five seconds.
    fixture.writeValue(0, "Updater2", command);
    EXPECT_TRUE(test::waitUntil([&] { return !fixture.hasValue(0, "Updater2"); }, std::chrono::seconds(3)));
    EXPECT_EQ(guards.active(), 1u);
#ifndef _WIN32
    // On Linux a revoked entry is kept in quarantine, never silently deleted.
    EXPECT_TRUE(std::filesystem::exists(quarantine.path() / "Updater2.desktop.quarantine"));
#endif
}

TEST_F(AutostartAlertHandlerTest, ProtectionOffIgnoresEverything) {
    protectionEnabled.store(false);
    handler(written("Quiet", "C:\\q.exe"));
    EXPECT_TRUE(sink.events().empty());
    EXPECT_TRUE(notifier->balloons().empty());
}

TEST(ReblockGuards, ShutdownDoesNotWaitForTheirFiveSeconds) {
    ReblockGuards guards;
    for (int i = 0; i < 4; ++i) {
        guards.launch({{"HKCU", "Software\\QuillvardenTests\\Nowhere"}, "v", "", "qv-no-such-program"}, nullptr);
    }
    EXPECT_EQ(guards.active(), 4u);
    const auto before = std::chrono::steady_clock::now();
    guards.stopAll();
    EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(3));
    EXPECT_EQ(guards.active(), 0u);
    guards.launch({{"HKCU", "x"}, "v", "", "y"}, nullptr);  // after shutdown: ignored
    EXPECT_EQ(guards.active(), 0u);
}

}  // namespace
}  // namespace quillvarden
