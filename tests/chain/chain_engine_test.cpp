#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "chain/chain_engine.h"
#include "narrator/rule_narrator.h"

namespace quillvarden {
namespace {

constexpr std::int64_t kMinute = 60 * 1000;
constexpr std::int64_t kStart = 1'700'000'000'000;

SecurityEvent runKeyWrite(const std::string& process, std::int64_t at, const std::string& value = "x") {
    SecurityEvent e;
    e.timestampMs = at;
    e.kind = EventKind::RegistryWrite;
    e.processName = process;
    e.target = "HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Run\\" + value;
    return e;
}

TEST(ChainEngine, GroupsByNameWithinFiveMinutesAndScores) {
    ChainEngine engine;
    AttackChain first = engine.ingestEvent(runKeyWrite("C:\\evil.exe", kStart));
    EXPECT_EQ(first.id, "chain-1");
    EXPECT_EQ(first.score, 30u);
    EXPECT_EQ(first.level, 0);
    EXPECT_EQ(first.tactics, std::vector<std::string>{"持久化"});
    EXPECT_EQ(first.reasons.size(), 1u);
    EXPECT_EQ(first.processes, std::vector<std::string>{"C:\\evil.exe"});
    EXPECT_TRUE(first.summary.empty()) << "no narrator, no texts";

    AttackChain second = engine.ingestEvent(runKeyWrite("C:\\evil.exe", kStart + 4 * kMinute));
    EXPECT_EQ(second.id, "chain-1");
    EXPECT_EQ(second.score, 60u);
    EXPECT_EQ(second.level, 1);
    EXPECT_EQ(second.reasons.size(), 1u) << "equal reasons are kept once";
    EXPECT_EQ(second.tactics.size(), 1u);

    AttackChain third = engine.ingestEvent(runKeyWrite("C:\\evil.exe", kStart + 5 * kMinute, "other"));
    EXPECT_EQ(third.score, 90u);
    EXPECT_EQ(third.level, 2);
    EXPECT_EQ(third.reasons.size(), 2u);
    EXPECT_EQ(engine.ingestEvent(runKeyWrite("C:\\evil.exe", kStart + 6 * kMinute)).score, 100u) << "clamped";

    // Six minutes after the chain's last event: a new chain, and the name moves to it.
    AttackChain later = engine.ingestEvent(runKeyWrite("C:\\evil.exe", kStart + 12 * kMinute + 1));
    EXPECT_EQ(later.id, "chain-2");
    EXPECT_EQ(later.score, 30u);
    EXPECT_EQ(engine.processToChain.at("C:\\evil.exe"), 1u);
    EXPECT_EQ(engine.chains[0].firstSeenMs, kStart);
    EXPECT_EQ(engine.chains[0].lastSeenMs, kStart + 6 * kMinute);

    // Time 0 always joins the name's chain; an earlier time too.
    EXPECT_EQ(engine.ingestEvent(runKeyWrite("C:\\evil.exe", 0)).id, "chain-2");
    EXPECT_EQ(engine.ingestEvent(runKeyWrite("C:\\evil.exe", kStart)).id, "chain-2");
    EXPECT_EQ(engine.chains[1].firstSeenMs, kStart) << "an unknown time does not stay the earliest";
    EXPECT_EQ(engine.ingestEvent(runKeyWrite("other.exe", kStart)).id, "chain-3");
}

TEST(ChainEngine, ParentLinksAndMultiStageBonus) {
    ChainEngine engine;
    SecurityEvent macro;
    macro.timestampMs = kStart;
    macro.kind = EventKind::ProcessCreate;
    macro.parentName = "WINWORD.EXE";
    macro.processName = "powershell.exe";
    macro.processPath = "C:\\Windows\\System32\\WindowsPowerShell\\v1.0\\powershell.exe";
    engine.ingestEvent(macro);

    SecurityEvent beacon;
    beacon.timestampMs = kStart + kMinute;
    beacon.kind = EventKind::NetworkConnect;
    beacon.processName = "powershell.exe";
    beacon.target = "203.0.113.9:443";
    engine.ingestEvent(beacon);

    // A persistence step by a child of powershell joins through its parent.
    SecurityEvent persist = runKeyWrite("payload.exe", kStart + 2 * kMinute);
    persist.parentName = "powershell.exe";
    const AttackChain chain = engine.ingestEvent(persist);

    EXPECT_EQ(chain.id, "chain-1");
    EXPECT_EQ(chain.processes, (std::vector<std::string>{"WINWORD.EXE", "powershell.exe", "payload.exe"}));
    EXPECT_EQ(chain.tactics, (std::vector<std::string>{"初始访问", "执行", "持久化", "命令与控制"}));
    EXPECT_EQ(chain.score, 100u);  // 35 + 10 + 30 + 30 + 10
    EXPECT_EQ(chain.reasons.back(), "命中多个 ATT&CK 战术阶段，构成完整攻击链，风险叠加");
}

TEST(ChainEngine, LevelBoundaries) {
    // Defence evasion and command-and-control only, so no multi-stage bonus.
    auto driver = [](bool inSystemFolder) {  // 12 in the system folder, 28 + 12 outside
        SecurityEvent e;
        e.timestampMs = kStart;
        e.kind = EventKind::DriverLoad;
        e.processName = "p.exe";
        e.processPath = inSystemFolder ? "C:\\Windows\\System32\\drivers\\x.sys" : "D:\\x.sys";
        e.detail = "unsigned";
        return e;
    };
    auto connect = [](const char* target, const char* detail) {
        SecurityEvent e;
        e.timestampMs = kStart;
        e.kind = EventKind::NetworkConnect;
        e.processName = "p.exe";
        e.target = target;
        e.detail = detail;
        return e;
    };
    const SecurityEvent twelve = driver(true);
    const SecurityEvent forty = driver(false);
    const SecurityEvent fifteen = connect("10.0.0.1:443", "known C2");
    const SecurityEvent thirty = connect("203.0.113.1:443", "");
    const SecurityEvent fortyFive = connect("203.0.113.1:443", "c2 feed");
    const struct {
        std::vector<SecurityEvent> events;
        std::uint32_t score;
        std::int32_t level;
    } cases[] = {
        {{twelve, twelve, fifteen}, 39, 0},
        {{forty}, 40, 1},
        {{twelve, twelve, fortyFive}, 69, 1},
        {{forty, thirty}, 70, 2},
    };
    for (const auto& c : cases) {
        ChainEngine engine;
        AttackChain chain;
        for (const SecurityEvent& e : c.events) chain = engine.ingestEvent(e);
        EXPECT_EQ(chain.score, c.score);
        EXPECT_EQ(chain.level, c.level) << chain.score;
        EXPECT_EQ(chain.tactics.size(), c.score == 40 ? 1u : 2u);
    }
}

TEST(ChainEngine, NarratesUnderItsLockAndCopiesOut) {
    RuleNarrator narrator;
    ChainEngine engine(&narrator);
    const AttackChain chain = engine.ingestEvent(runKeyWrite("evil.exe", kStart));
    EXPECT_EQ(chain.summary, "检测到低危攻击链（风险分 30），涉及 1 个进程、1 个关联事件，横跨 持久化 战术阶段。");
    EXPECT_FALSE(chain.story.empty());
    EXPECT_EQ(engine.chains[0].summary, chain.summary);
}

TEST(ChainEngine, IngestFromManyThreads) {
    RuleNarrator narrator;
    ChainEngine engine(&narrator);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&engine, t] {
            for (int i = 0; i < 200; ++i) {
                const AttackChain copy = engine.ingestEvent(runKeyWrite("p" + std::to_string(t % 2) + ".exe", kStart + i));
                ASSERT_FALSE(copy.id.empty());
            }
        });
    }
    for (auto& t : threads) t.join();
    ASSERT_EQ(engine.chains.size(), 2u);
    EXPECT_EQ(engine.chains[0].events.size() + engine.chains[1].events.size(), 800u);
    EXPECT_EQ(engine.nextId, 3);
}

}  // namespace
}  // namespace quillvarden
