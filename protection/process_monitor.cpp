#include "protection/process_monitor.h"

#include "platform/process_paths.h"
#include "protection/guarded_call.h"
#include "server/records/wall_clock.h"

namespace quillvarden {

ProcessMonitor::~ProcessMonitor() { stop(); }

bool ProcessMonitor::start(Callback callback) {
    std::lock_guard<std::mutex> control(controlMutex_);
    startLocked(std::move(callback));
    return true;
}

void ProcessMonitor::ensureStarted(Callback callback) {
    std::lock_guard<std::mutex> control(controlMutex_);
    if (!running_.load()) startLocked(std::move(callback));
}

void ProcessMonitor::startLocked(Callback callback) {
    if (running_.load()) stopLocked();
    callback_ = std::move(callback);
    knownPids_ = platform::snapshotProcessIds();
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        stopSignalled_ = false;
    }
    running_.store(true);
    thread_ = std::thread([this] { run(); });
}

void ProcessMonitor::stop() {
    std::lock_guard<std::mutex> control(controlMutex_);
    stopLocked();
}

void ProcessMonitor::stopLocked() {
    if (!running_.exchange(false)) return;
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        stopSignalled_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

void ProcessMonitor::poll(std::unordered_set<std::uint32_t>& known, const std::unordered_set<std::uint32_t>& current,
                          const Callback& callback) {
    for (const std::uint32_t pid : current) {
        if (known.count(pid) || pid == 0 || pid == 4) continue;
        // Held before the image is read: everything after refers to this process.
        auto hold = std::make_shared<platform::ProcessHold>(pid);
        ProcessEvent event;
        event.pid = pid;
        event.path = hold->imagePath();
        event.timestampMs = nowMs();
        if (event.path.empty() || !callback) continue;
        event.fileName = platform::fileNameOf(event.path);
        event.parentPid = platform::parentProcessId(pid);
        event.hold = std::move(hold);
        callback(event);
    }
    known = current;
}

void ProcessMonitor::run() {
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(wakeMutex_);
            if (wake_.wait_for(lock, kPollInterval, [this] { return stopSignalled_; })) return;
        }
        if (!running_.load()) return;
        const std::unordered_set<std::uint32_t> current = platform::snapshotProcessIds();
        // The list always holds this process: an empty one means the snapshot failed,
        // and taking it as the truth would make every process new at the next poll.
        if (current.empty()) continue;
        poll(knownPids_, current, [this](const ProcessEvent& event) {
            if (!running_.load()) return;
            callGuarded(callback_, event, "[执行防护] 处理新进程时出错：", event.path);
        });
    }
}

}  // namespace quillvarden
