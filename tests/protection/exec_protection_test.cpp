#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "engine/detection_engine.h"
#include "platform/ascii_text.h"
#include "platform/process_paths.h"
#include "platform/processes.h"
#include "protection/exec_protection.h"
#include "protection/host_hooks.h"
#include "protection/process_monitor.h"
#include "protection/process_termination.h"
#include "protection/protection_switches.h"
#include "server/records/threat_list.h"
#include "tests/support/child_process.h"
#include "tests/support/protection_recorders.h"
#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"

namespace quillvarden {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using nlohmann::json;

#ifdef _WIN32
constexpr const char* kProgramSuffix = ".exe";
constexpr int kEndedExitCode = 1;
#else
constexpr const char* kProgramSuffix = "";
constexpr int kEndedExitCode = 128 + 9;  // SIGKILL
#endif

// The marker the tests' own rule looks for; the built-in rules know nothing of it.
constexpr const char* kMarkerRule = R"(rule QvTestMarker { strings: $m = "qv-exec-test-marker-5521" condition: $m })";

// A copy of the sleeper, flagged or not by the marker appended to it.
std::string programCopy(const test::TempDir& dir, const std::string& name, bool flagged) {
    const fs::path copy = dir.path() / (name + kProgramSuffix);
    fs::copy_file(test::sleeperProgram(), copy, fs::copy_options::overwrite_existing);
    if (flagged) std::ofstream(copy, std::ios::binary | std::ios::app) << "qv-exec-test-marker-5521";
    fs::permissions(copy, fs::perms::owner_all, fs::perm_options::add);
    return test::TempDir::toUtf8(copy);
}

TEST(ProcessMonitor, ReportsProcessesStartedAfterItAndNoneBefore) {
    test::TempDir dir;
    test::ChildProcess before(programCopy(dir, "before", false), {"20"});
    ASSERT_TRUE(before.started());
    ProcessMonitor monitor;
    std::mutex mutex;
    std::vector<ProcessEvent> seen;
    ASSERT_TRUE(monitor.start([&](const ProcessEvent& event) {
        std::lock_guard<std::mutex> lock(mutex);
        seen.push_back(event);
    }));
    const std::string afterPath = programCopy(dir, "after", false);
    test::ChildProcess after(afterPath, {"20"});
    ASSERT_TRUE(after.started());
    const auto find = [&](std::uint32_t pid) -> std::optional<ProcessEvent> {
        std::lock_guard<std::mutex> lock(mutex);
        for (const ProcessEvent& event : seen) {
            if (event.pid == pid) return event;
        }
        return std::nullopt;
    };
    ASSERT_TRUE(test::waitUntil([&] { return find(after.pid()).has_value(); }, 10s));
    const ProcessEvent event = *find(after.pid());
    EXPECT_EQ(foldPath(event.path), foldPath(afterPath));
    EXPECT_EQ(event.fileName, std::string("after") + kProgramSuffix);
    EXPECT_EQ(event.parentPid, platform::currentProcessId());
    EXPECT_GT(event.timestampMs, 0);
    ASSERT_NE(event.hold, nullptr);
    std::this_thread::sleep_for(ProcessMonitor::kPollInterval * 2);
    EXPECT_FALSE(find(before.pid()).has_value());
    monitor.stop();
    EXPECT_FALSE(monitor.isRunning());
}

TEST(ProcessMonitorPoll, SkipsKnownAndSystemIdentifiers) {
    std::unordered_set<std::uint32_t> known = {platform::currentProcessId()};
    std::vector<std::uint32_t> reported;
    ProcessMonitor::poll(known, {0, 4, platform::currentProcessId(), 0xFFFFFFF0u},
                         [&](const ProcessEvent& event) { reported.push_back(event.pid); });
    EXPECT_TRUE(reported.empty());  // 0 and 4 never; the unknown one has no readable image
    EXPECT_EQ(known, (std::unordered_set<std::uint32_t>{0, 4, platform::currentProcessId(), 0xFFFFFFF0u}));
}

TEST(UntouchableProcesses, AreNeverEnded) {
    const platform::ProcessId self = platform::currentProcessId();
    struct Case {
        platform::ProcessEntry process;
        bool untouchable;
    };
    const std::vector<Case> cases = {
        {{self, 1, "me"}, true},
        {{77777, self, "my helper"}, true},
        {{77777, 12345, "someone"}, false},
#ifdef _WIN32
        {{0, 0, "[System Process]"}, true},
        {{4, 0, "System"}, true},
#else
        {{1, 0, "init"}, true},
        {{2, 0, "kthreadd"}, true},
#endif
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isUntouchableProcess(c.process), c.untouchable) << c.process.exeName;
    }
    // The handler's path search never reaches them either: the test runner's own
    // name and image do not end it.
    EXPECT_EQ(terminateMatchingProcesses(toLowerAscii(platform::executablePath()), ""), 0);
}

class ExecProtectionTest : public ::testing::Test {
protected:
    ExecProtectionTest() {
        clearThreats();
        engine.trustListFile = test::TempDir::toUtf8(dir.path() / "trustlist.txt");
        engine.parseRules(kMarkerRule);
        engine.signingCheck = [this](const std::string&) {
            ++signingChecks;
            return SigningVerdict{};
        };
        installNotifier(notifier);
    }
    ~ExecProtectionTest() override {
        installNotifier(nullptr);
        execProtectionEnabled.store(true);
        clearThreats();
    }

    // Starts the program and hands it to the handler as the monitor would.
    ProcessEvent eventFor(const test::ChildProcess& child, const std::string& path) {
        ProcessEvent event;
        event.pid = child.pid();
        event.path = path;
        event.fileName = fs::path(path).filename().string();
        event.timestampMs = 1700000000000;
        event.parentPid = 1;  // as if started by someone else
        event.hold = std::make_shared<platform::ProcessHold>(child.pid());
        return event;
    }

    test::TempDir dir;
    DetectionEngine engine;
    std::atomic<int> signingChecks{0};
    test::RecordingSink sink;
    std::shared_ptr<test::RecordingNotifier> notifier = std::make_shared<test::RecordingNotifier>();
    // Its "own" process is another, so that the test's children are fair game.
    ExecProtectionHandler handler{engine, sink.sink(), "C:\\not\\this\\program.exe", 0xFFFFFFF1u};
};

TEST_F(ExecProtectionTest, EndsAFlaggedProgramAndReportsIt) {
    const std::string path = programCopy(dir, "flagged", true);
    test::ChildProcess child(path, {"20"});
    ASSERT_TRUE(child.started());
    const ProcessEvent event = eventFor(child, path);
    handler(event);
    const auto code = child.waitForExit(5s);
    ASSERT_TRUE(code.has_value()) << "the flagged program still runs";
    EXPECT_EQ(*code, kEndedExitCode);

    const auto events = sink.events();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].first, "threat");
    EXPECT_EQ(json::parse(events[0].second)["ruleName"], "QvTestMarker");
    EXPECT_EQ(events[1].first, "exec_blocked");
    EXPECT_EQ(json::parse(events[1].second), json({{"pid", child.pid()},
                                                   {"path", path},
                                                   {"fileName", event.fileName},
                                                   {"ruleName", "QvTestMarker"},
                                                   {"description", "QvTestMarker"},
                                                   {"terminated", true},
                                                   {"timestampMs", 1700000000000}}));
    ASSERT_EQ(snapshotThreats().size(), 1u);
    const auto balloons = notifier->balloons();
    ASSERT_EQ(balloons.size(), 1u);
    EXPECT_EQ(balloons[0].first, "羽岚 Quillvarden · 已拦截可疑程序");
    EXPECT_EQ(balloons[0].second, "检测到可疑程序正在运行，已实时拦截：\n" + path +
                                      "\n\n检出威胁：QvTestMarker\nQvTestMarker\n\n处置结果：已终结该进程");

    // Started again: judged from the cache, ended and reported all the same.
    const int checks = signingChecks.load();
    test::ChildProcess again(path, {"20"});
    handler(eventFor(again, path));
    ASSERT_TRUE(again.waitForExit(5s).has_value());
    EXPECT_EQ(signingChecks.load(), checks);
    EXPECT_EQ(sink.named("exec_blocked").size(), 2u);
    EXPECT_EQ(snapshotThreats().size(), 2u);

    // A changed trust list is a new question.
    engine.addTrustedDir(dir.str());
    test::ChildProcess trusted(path, {"20"});
    handler(eventFor(trusted, path));
    EXPECT_FALSE(trusted.waitForExit(500ms).has_value());
    EXPECT_EQ(sink.named("exec_blocked").size(), 2u);
}

TEST_F(ExecProtectionTest, LeavesCleanSignedOwnAndSwitchedOffAlone) {
    const std::string clean = programCopy(dir, "clean", false);
    const std::string flagged = programCopy(dir, "flagged", true);
    test::ChildProcess cleanChild(clean, {"20"});
    handler(eventFor(cleanChild, clean));

    ExecProtectionHandler ownHandler{engine, sink.sink(), flagged, 0xFFFFFFF1u};  // "our own" image
    test::ChildProcess own(flagged, {"20"});
    ownHandler(eventFor(own, toLowerAscii(flagged)));

    ExecProtectionHandler selfHandler{engine, sink.sink(), "C:\\x.exe"};  // our own child
    test::ChildProcess child(flagged, {"20"});
    ProcessEvent fromUs = eventFor(child, flagged);
    fromUs.parentPid = platform::currentProcessId();
    selfHandler(fromUs);

    execProtectionEnabled.store(false);
    test::ChildProcess whileOff(flagged, {"20"});
    handler(eventFor(whileOff, flagged));
    execProtectionEnabled.store(true);

    engine.signingCheck = [](const std::string&) { return SigningVerdict{SignatureStatus::Trusted, "Signer"}; };
    ExecProtectionHandler signedHandler{engine, sink.sink(), "C:\\x.exe", 0xFFFFFFF1u};
    test::ChildProcess signedChild(flagged, {"20"});
    signedHandler(eventFor(signedChild, flagged));

    std::this_thread::sleep_for(300ms);
    for (test::ChildProcess* running : {&cleanChild, &own, &child, &whileOff, &signedChild}) {
        EXPECT_FALSE(running->waitForExit(0ms).has_value()) << running->pid();
    }
    EXPECT_TRUE(sink.events().empty());
    EXPECT_TRUE(notifier->balloons().empty());
}

}  // namespace
}  // namespace quillvarden
