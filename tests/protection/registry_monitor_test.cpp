#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "protection/registry_monitor.h"
#include "tests/support/autostart_fixture.h"
#include "tests/support/console_capture.h"
#include "tests/support/wait_until.h"

namespace quillvarden {
namespace {

using namespace std::chrono_literals;

TEST(CompareSnapshots, ReportsNewAndChangedValuesOnly) {
    struct Case {
        std::string what;
        ValueSnapshot before, now;
        std::vector<std::string> reported;  // "name=data"
    };
    const std::vector<Case> cases = {
        {"new value", {}, {{"Updater", "C:\\u.exe"}}, {"Updater=C:\\u.exe"}},
        {"changed data", {{"Updater", "C:\\u.exe"}}, {{"Updater", "C:\\v.exe"}}, {"Updater=C:\\v.exe"}},
        {"same data", {{"Updater", "C:\\u.exe"}}, {{"Updater", "C:\\u.exe"}}, {}},
        {"deleted", {{"Updater", "C:\\u.exe"}}, {}, {}},
        {"re-added after deletion", {}, {{"Updater", "C:\\u.exe"}}, {"Updater=C:\\u.exe"}},
        {"non-string value", {}, {{"Counter", ""}}, {"Counter="}},
        {"case of data matters", {{"U", "a.exe"}}, {{"U", "A.exe"}}, {"U=A.exe"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> reported;
        compareSnapshots(c.before, c.now,
                         [&](const std::string& name, const std::string& data) { reported.push_back(name + "=" + data); });
        EXPECT_EQ(reported, c.reported) << c.what;
    }
}

class Collected {
public:
    RegistryMonitor::Callback callback() {
        return [this](const RegistryEvent& event) {
            std::lock_guard<std::mutex> lock(mutex_);
            events_.push_back(event);
        };
    }
    std::vector<RegistryEvent> events() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    std::size_t size() const { return events().size(); }

private:
    mutable std::mutex mutex_;
    std::vector<RegistryEvent> events_;
};

// Changes arrive asynchronously; "none" can only be shown by waiting a little.
void settle() { std::this_thread::sleep_for(400ms); }

TEST(RegistryMonitor, ReportsAdditionsAndChangesAfterTheBaseline) {
    test::AutostartFixture fixture;
    fixture.writeValue(0, "Existing", "C:\\old.exe");
    RegistryMonitor monitor(fixture.locations());
    Collected collected;
    ASSERT_TRUE(monitor.start(collected.callback()));
    ASSERT_TRUE(monitor.isRunning());

    fixture.writeValue(0, "Updater", "C:\\u\\updater.exe");
    ASSERT_TRUE(test::waitUntil([&] { return collected.size() == 1; }));
    const RegistryEvent first = collected.events()[0];
    EXPECT_EQ(first.hive, fixture.locations()[0].hive);
    EXPECT_EQ(first.keyPath, fixture.locations()[0].keyPath);
    EXPECT_EQ(first.valueName, test::AutostartFixture::valueName("Updater"));
    EXPECT_EQ(first.command, "C:\\u\\updater.exe");
    EXPECT_GT(first.timestampMs, 0);

    fixture.writeValue(0, "Updater", "C:\\u\\updater.exe");  // same data
    fixture.deleteValue(0, "Existing");
    settle();
    EXPECT_EQ(collected.size(), 1u);

    fixture.writeValue(0, "Updater", "C:\\u\\other.exe");
    ASSERT_TRUE(test::waitUntil([&] { return collected.size() == 2; }));
    EXPECT_EQ(collected.events()[1].command, "C:\\u\\other.exe");

    fixture.writeValue(0, "Existing", "C:\\old.exe");  // deleted, then back
    ASSERT_TRUE(test::waitUntil([&] { return collected.size() == 3; }));
    EXPECT_EQ(collected.events()[2].valueName, test::AutostartFixture::valueName("Existing"));

    fixture.writeNonStringValue(1, "Counter");
    ASSERT_TRUE(test::waitUntil([&] { return collected.size() == 4; }));
    EXPECT_EQ(collected.events()[3].command, "");
    EXPECT_EQ(collected.events()[3].hive, fixture.locations()[1].hive);
    fixture.writeNonStringValue(1, "Counter");  // another number: still no text
    settle();
    EXPECT_EQ(collected.size(), 4u);

    monitor.stop();
    EXPECT_FALSE(monitor.isRunning());
    fixture.writeValue(0, "AfterStop", "C:\\late.exe");
    settle();
    EXPECT_EQ(collected.size(), 4u);

    // A new start takes a new baseline: what was added while stopped is not news.
    Collected again;
    ASSERT_TRUE(monitor.start(again.callback()));
    settle();
    EXPECT_EQ(again.size(), 0u);
}

// A slow handler (a local model telling the story) must neither lose the changes made
// meanwhile nor report any twice.
TEST(RegistryMonitor, ChangesDuringASlowCallbackAreReportedOnceAfterIt) {
    test::AutostartFixture fixture;
    RegistryMonitor monitor(fixture.locations());
    std::mutex mutex;
    std::vector<std::string> seen;
    std::atomic<bool> firstRunning{false};
    std::atomic<bool> release{false};
    ASSERT_TRUE(monitor.start([&](const RegistryEvent& event) {
        {
            std::lock_guard<std::mutex> lock(mutex);
            seen.push_back(event.valueName + "=" + event.command);
        }
        if (event.command == "C:\\first.exe") {
            firstRunning = true;
            while (!release) std::this_thread::sleep_for(5ms);
        }
    }));
    fixture.writeValue(0, "First", "C:\\first.exe");
    ASSERT_TRUE(test::waitUntil([&] { return firstRunning.load(); }));
    fixture.writeValue(0, "Second", "C:\\second.exe");
    fixture.writeValue(0, "First", "C:\\first-changed.exe");
    fixture.writeValue(1, "Third", "C:\\third.exe");
    std::this_thread::sleep_for(200ms);
    release = true;
    const auto count = [&] {
        std::lock_guard<std::mutex> lock(mutex);
        return seen.size();
    };
    ASSERT_TRUE(test::waitUntil([&] { return count() >= 4; }));
    settle();
    std::lock_guard<std::mutex> lock(mutex);
    std::vector<std::string> sorted(seen.begin() + 1, seen.end());
    std::sort(sorted.begin(), sorted.end());
    const std::string first = test::AutostartFixture::valueName("First");
    EXPECT_EQ(seen[0], first + "=C:\\first.exe");
    EXPECT_EQ(sorted, (std::vector<std::string>{first + "=C:\\first-changed.exe",
                                                test::AutostartFixture::valueName("Second") + "=C:\\second.exe",
                                                test::AutostartFixture::valueName("Third") + "=C:\\third.exe"}));
}

TEST(RegistryMonitor, AThrowingCallbackIsReportedAndWatchingGoesOn) {
    test::AutostartFixture fixture;
    test::ConsoleCapture console;
    RegistryMonitor monitor(fixture.locations());
    std::atomic<int> calls{0};
    ASSERT_TRUE(monitor.start([&](const RegistryEvent&) {
        if (++calls == 1) throw std::runtime_error("boom");
    }));
    fixture.writeValue(0, "One", "C:\\1.exe");
    ASSERT_TRUE(test::waitUntil([&] { return calls.load() == 1; }));
    fixture.writeValue(0, "Two", "C:\\2.exe");
    ASSERT_TRUE(test::waitUntil([&] { return calls.load() == 2; }));
    EXPECT_TRUE(monitor.isRunning());
    monitor.stop();
    const auto lines = console.lines();
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].errorStream);
    EXPECT_EQ(lines[0].text, "[自启动防护] 处理自启动事件时出错：boom");
}

#ifndef _WIN32
// A program adding itself may have to create the user's autostart folder first.
TEST(RegistryMonitor, WatchesAFolderThatIsCreatedLater) {
    test::TempDir dir;
    const std::string folder = dir.str() + "/autostart";
    RegistryMonitor monitor({{"user", folder}});
    Collected collected;
    ASSERT_TRUE(monitor.start(collected.callback()));
    std::filesystem::create_directory(folder);
    dir.write("autostart/evil.desktop", "[Desktop Entry]\nExec=/tmp/evil --quiet\n");
    ASSERT_TRUE(test::waitUntil([&] { return collected.size() == 1; }));
    std::this_thread::sleep_for(200ms);
    ASSERT_EQ(collected.size(), 1u);  // read once written, not half-written first
    EXPECT_EQ(collected.events()[0].valueName, "evil.desktop");
    EXPECT_EQ(collected.events()[0].command, "/tmp/evil --quiet");

    // And after it is removed and made again.
    std::filesystem::remove_all(folder);
    std::filesystem::create_directory(folder);
    dir.write("autostart/again.desktop", "[Desktop Entry]\nExec=/tmp/again\n");
    ASSERT_TRUE(test::waitUntil([&] { return collected.size() == 2; }));
    EXPECT_EQ(collected.events()[1].valueName, "again.desktop");
}

TEST(AutostartValues, ReadTheExecLineOfTheDesktopEntryGroup) {
    test::TempDir dir;
    dir.write("a.desktop", "[Desktop Entry]\nName=A\nExec = /opt/a --x\r\nExec=/second\n");
    dir.write("b.desktop", "[Other Group]\nExec=/not/this\n[Desktop Entry]\nName=B\n");
    dir.write("c.desktop", "Exec=/outside/any/group\n");
    dir.write("notes.txt", "[Desktop Entry]\nExec=/ignored\n");
    dir.makeDir("d.desktop");
    const auto values = platform::readAutostartValues({"user", dir.str()});
    EXPECT_EQ(values, (platform::AutostartValues{{"a.desktop", "/opt/a --x"}, {"b.desktop", ""}, {"c.desktop", ""}}));
}
#endif

}  // namespace
}  // namespace quillvarden
