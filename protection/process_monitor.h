// Notices every process that starts: polls the system's process list twice a second
// and reports each new process whose image path can be read.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <unordered_set>

#include "protection/monitor_events.h"

namespace quillvarden {

class ProcessMonitor {
public:
    using Callback = std::function<void(const ProcessEvent&)>;
    static constexpr std::chrono::milliseconds kPollInterval{500};

    ProcessMonitor() = default;
    ~ProcessMonitor();
    ProcessMonitor(const ProcessMonitor&) = delete;
    ProcessMonitor& operator=(const ProcessMonitor&) = delete;

    // Processes running now are known and never reported; a running monitor is
    // stopped first.
    bool start(Callback callback);
    // Starts unless running already (then the installed callback stays).
    void ensureStarted(Callback callback);
    void stop();
    bool isRunning() const { return running_.load(); }

    // One poll: reports the processes in current that are not in known (nor the
    // system's 0 and 4) and whose image can be read; then current becomes known.
    // The poller's step, open to tests and benchmarks.
    static void poll(std::unordered_set<std::uint32_t>& known, const std::unordered_set<std::uint32_t>& current,
                     const Callback& callback);

private:
    void run();
    void startLocked(Callback callback);
    void stopLocked();

    std::mutex controlMutex_;
    Callback callback_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool stopSignalled_ = false;
    std::unordered_set<std::uint32_t> knownPids_;
};

}  // namespace quillvarden
