#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <nlohmann/json.hpp>

#include "engine/detection_engine.h"
#include "platform/process_paths.h"
#include "protection/directory_monitor.h"
#include "protection/monitor_event_handler.h"
#include "server/records/threat_list.h"
#include "tests/support/console_capture.h"
#include "tests/support/engine_samples.h"
#include "tests/support/protection_recorders.h"
#include "tests/support/temp_dir.h"
#include "tests/support/under_wine.h"
#include "tests/support/wait_until.h"

namespace quillvarden {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using nlohmann::json;

constexpr char kSep = platform::kPathSeparator;

TEST(DirectoryMonitorFilter, PassesTheTwelveProgramKinds) {
    DirectoryMonitor monitor;
    EXPECT_TRUE(monitor.passesFilter("anything"));  // no set yet: everything passes
    monitor.setExtensions(monitoredExtensions());
    const std::string dirDotted = std::string("a.b") + kSep + "c";
    struct Case {
        std::string name;
        bool passes;
    };
    const std::vector<Case> cases = {
        {"setup.EXE", true}, {"x.dll", true},  {"x.Scr", true},   {"run.bat", true},  {"p.ps1", true},
        {"c.cmd", true},     {"v.vbs", true},  {"j.js", true},    {"i.msi", true},    {"c.com", true},
        {"p.pif", true},     {"h.hta", true},  {"notes.txt", false}, {"noext", false}, {"x.sys", false},
        {dirDotted, false},  {"", false},      {"archive.exe.zip", false}, {".exe", true},
    };
    for (const Case& c : cases) EXPECT_EQ(monitor.passesFilter(c.name), c.passes) << c.name;
}

class Events {
public:
    DirectoryMonitor::Callback callback() {
        return [this](const FileEvent& event) {
            std::lock_guard<std::mutex> lock(mutex_);
            events_.push_back(event);
        };
    }
    std::vector<FileEvent> all() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    std::string describe() const {
        std::string text;
        for (const FileEvent& event : all()) text += std::to_string(static_cast<int>(event.action)) + ":" + event.fileName + " ";
        return text;
    }
    bool has(FileAction action, const std::string& name) const {
        for (const FileEvent& event : all()) {
            if (event.action == action && event.fileName == name) return true;
        }
        return false;
    }

private:
    mutable std::mutex mutex_;
    std::vector<FileEvent> events_;
};

TEST(DirectoryMonitor, ReportsProgramsWrittenAnywhereBelowTheDirectory) {
    test::TempDir dir;
    dir.makeDir("sub");
    dir.write("a.tmp", "x");
    DirectoryMonitor monitor;
    monitor.setExtensions(monitoredExtensions());
    Events events;
    ASSERT_TRUE(monitor.start(dir.str(), events.callback()));
    EXPECT_EQ(monitor.watchDir(), dir.str());

    // Wine watches only the folders made after the watch began (Windows watches all).
    if (test::underWine()) dir.makeDir("sub-made-later");
    const std::string subFolder = test::underWine() ? "sub-made-later" : "sub";
    dir.write(subFolder + "/setup.EXE", "MZ program");
    dir.write("notes.txt", "plain text");
    fs::rename(dir.path() / "a.tmp", dir.path() / "a.exe");
    dir.write("later/deeper/tool.dll", "made in a new folder");  // folders created while watching
    const std::string setup = subFolder + kSep + "setup.EXE";
    const std::string tool = std::string("later") + kSep + "deeper" + kSep + "tool.dll";
    ASSERT_TRUE(test::waitUntil([&] {
        return events.has(FileAction::Created, setup) && events.has(FileAction::NewName, "a.exe") &&
               events.has(FileAction::Created, tool);
    })) << events.describe();
    fs::remove(dir.path() / "a.exe");
    std::this_thread::sleep_for(300ms);
    monitor.stop();

    for (const FileEvent& event : events.all()) {
        EXPECT_NE(event.fileName, "notes.txt");
        EXPECT_NE(event.action, FileAction::Deleted);
        EXPECT_EQ(event.filePath, dir.str() + kSep + event.fileName);
        EXPECT_GT(event.timestampMs, 0);
    }
}

TEST(DirectoryMonitor, StartAndStopSayWhatTheyDo) {
    test::TempDir first;
    test::TempDir second;
    test::ConsoleCapture console;
    DirectoryMonitor monitor;
    ASSERT_TRUE(monitor.start(first.str(), nullptr));
    ASSERT_TRUE(monitor.start(second.str(), nullptr));  // stops the first watch
    monitor.stop();
    monitor.stop();
    const std::string missing = first.str() + kSep + "missing";
    EXPECT_FALSE(monitor.start(missing, nullptr));
    EXPECT_FALSE(monitor.isRunning());
    EXPECT_EQ(monitor.watchDir(), second.str());  // the last watched directory stays
    using Line = test::ConsoleCapture::Line;
    EXPECT_EQ(console.lines(), (std::vector<Line>{{false, "[文件监控] 已启动，监控目录：" + first.str()},
                                                  {false, "[文件监控] 已停止。"},
                                                  {false, "[文件监控] 已启动，监控目录：" + second.str()},
                                                  {false, "[文件监控] 已停止。"},
                                                  {true, "[文件监控] 无法打开目录：" + missing}}));
}

TEST(MonitorEventHandler, AnnouncesAndScansNewAndWrittenFiles) {
    clearThreats();
    test::TempDir dir;
    DetectionEngine engine;
    engine.trustListFile = test::TempDir::toUtf8(dir.path() / "trustlist.txt");
    test::RecordingSink sink;
    const auto handler = makeMonitorEventHandler(engine, sink.sink(), 0ms);
    const std::string eicar = test::TempDir::toUtf8(dir.write("w/eicar.com", test::kEicar));
    dir.makeDir("w/folder.exe");
    handler({FileAction::Created, eicar, "eicar.com", 42});
    handler({FileAction::NewName, eicar, "eicar.com", 43});
    handler({FileAction::Modified, eicar + ".gone.exe", "eicar.com.gone.exe", 44});
    handler({FileAction::Created, dir.str() + kSep + "w" + kSep + "folder.exe", "folder.exe", 45});
    // The test file is found twice (its string and its digest): one announcement, two threats.
    const auto events = sink.events();
    ASSERT_EQ(events.size(), 3u);
    EXPECT_EQ(events[0].first, "monitor_event");
    EXPECT_EQ(events[0].second,
              json({{"action", "新建"}, {"filePath", eicar}, {"fileName", "eicar.com"}, {"timestampMs", 42}}).dump());
    EXPECT_EQ(events[1].first, "threat");
    EXPECT_EQ(json::parse(events[1].second)["ruleName"], "EICAR-Test-File");
    EXPECT_EQ(events[2].first, "threat");
    ASSERT_EQ(snapshotThreats().size(), 2u);
    clearThreats();
}

}  // namespace
}  // namespace quillvarden
