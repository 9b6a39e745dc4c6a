// What real-time protection costs: one poll of the process monitor with N processes
// on the machine (with and without new ones to examine), and the time from a write
// in a watched folder to the "monitor_event" it raises.
//   protection_bench [extra processes, default 500] [writes, default 40]
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <vector>

#include "engine/detection_engine.h"
#include "platform/processes.h"
#include "protection/directory_monitor.h"
#include "protection/monitor_event_handler.h"
#include "protection/process_monitor.h"

namespace {

using namespace quillvarden;
using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

std::vector<pid_t> startSleepers(int count) {
    std::vector<pid_t> children;
    for (int i = 0; i < count; ++i) {
        const pid_t child = ::fork();
        if (child == 0) {
            ::execlp("sleep", "sleep", "600", nullptr);
            ::_exit(127);
        }
        if (child > 0) children.push_back(child);
    }
    return children;
}

void stopSleepers(const std::vector<pid_t>& children) {
    for (const pid_t child : children) ::kill(child, SIGKILL);
    for (const pid_t child : children) ::waitpid(child, nullptr, 0);
}

// Steady state (nothing new) and a poll that finds `fresh` new processes to examine.
void benchPoll(int extra) {
    const std::vector<pid_t> sleepers = startSleepers(extra);
    std::vector<double> steady;
    std::size_t processes = 0;
    std::unordered_set<std::uint32_t> known = platform::snapshotProcessIds();
    for (int round = 0; round < 50; ++round) {
        const auto start = Clock::now();
        const auto current = platform::snapshotProcessIds();
        ProcessMonitor::poll(known, current, [](const ProcessEvent&) {});
        steady.push_back(millisecondsSince(start));
        processes = current.size();
    }
    std::unordered_set<std::uint32_t> none;
    std::size_t examined = 0;
    const auto start = Clock::now();
    ProcessMonitor::poll(none, platform::snapshotProcessIds(), [&](const ProcessEvent&) { ++examined; });
    const double allNew = millisecondsSince(start);
    stopSleepers(sleepers);
    std::printf("process poll, %zu processes: %.2f ms steady (median of 50), %.1f ms when all %zu are new "
                "(%.0f us each)\n",
                processes, median(steady), allNew, examined, examined ? allNew * 1000 / examined : 0.0);
}

void benchDirectoryLatency(int writes, std::chrono::milliseconds settle) {
    namespace fs = std::filesystem;
    const fs::path dir = fs::temp_directory_path() / ("qv-bench-watch-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    DetectionEngine engine;
    engine.trustListFile = (dir / "trustlist.txt").string();
    std::mutex mutex;
    std::condition_variable arrived;
    int events = 0;
    DirectoryMonitor monitor;
    monitor.setExtensions(monitoredExtensions());
    monitor.start(dir.string(), makeMonitorEventHandler(
                                    engine,
                                    [&](const std::string& name, const std::string&) {
                                        if (name != "monitor_event") return;
                                        std::lock_guard<std::mutex> lock(mutex);
                                        ++events;
                                        arrived.notify_all();
                                    },
                                    settle));
    std::vector<double> latencies;
    for (int i = 0; i < writes; ++i) {
        const int expected = [&] {
            std::lock_guard<std::mutex> lock(mutex);
            return events + 1;
        }();
        const auto start = Clock::now();
        // Written and closed with one call, as a download finishing: one creation, one write.
        std::ofstream(dir / ("sample" + std::to_string(i) + ".exe"), std::ios::binary) << "MZ sample " << i;
        std::unique_lock<std::mutex> lock(mutex);
        if (arrived.wait_for(lock, std::chrono::seconds(5), [&] { return events >= expected; })) {
            latencies.push_back(millisecondsSince(start));
        }
        lock.unlock();
        std::this_thread::sleep_for(settle * 3 + std::chrono::milliseconds(20));  // let its write event pass
    }
    monitor.stop();
    fs::remove_all(dir);
    std::printf("directory monitor, write to monitor_event: median %.2f ms, max %.2f ms over %zu writes "
                "(settle pause %lld ms included)\n",
                median(latencies), latencies.empty() ? 0 : *std::max_element(latencies.begin(), latencies.end()),
                latencies.size(), static_cast<long long>(settle.count()));
}

}  // namespace

int main(int argc, char** argv) {
    const int extra = argc > 1 ? std::atoi(argv[1]) : 500;
    const int writes = argc > 2 ? std::atoi(argv[2]) : 40;
    benchPoll(0);
    benchPoll(extra);
    benchDirectoryLatency(writes, std::chrono::milliseconds(200));
    benchDirectoryLatency(writes, std::chrono::milliseconds(0));
    return 0;
}
