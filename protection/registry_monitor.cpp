#include "protection/registry_monitor.h"

#include <utility>

#include "protection/guarded_call.h"
#include "server/records/wall_clock.h"

namespace quillvarden {

void compareSnapshots(const ValueSnapshot& before, const ValueSnapshot& now,
                      const std::function<void(const std::string&, const std::string&)>& report) {
    for (const auto& [name, data] : now) {
        const auto old = before.find(name);
        if (old != before.end() && old->second == data) continue;
        report(name, data);
    }
}

RegistryMonitor::RegistryMonitor(std::vector<platform::AutostartLocation> locations)
    : locations_(std::move(locations)) {}

RegistryMonitor::~RegistryMonitor() { stop(); }

bool RegistryMonitor::start(Callback callback) {
    std::lock_guard<std::mutex> control(controlMutex_);
    startLocked(std::move(callback));
    return true;
}

void RegistryMonitor::ensureStarted(Callback callback) {
    std::lock_guard<std::mutex> control(controlMutex_);
    if (!running_.load()) startLocked(std::move(callback));
}

void RegistryMonitor::startLocked(Callback callback) {
    if (running_.load()) stopLocked();
    callback_ = std::move(callback);
    // Armed before the baseline is read: a change in between is then either in the
    // baseline or wakes the watcher, never lost.
    watch_ = std::make_unique<platform::AutostartWatch>(locations_);
    snapshots_.clear();
    for (std::size_t i = 0; i < locations_.size(); ++i) {
        watch_->arm(i);
        snapshots_.push_back(platform::readAutostartValues(locations_[i]));
    }
    running_.store(true);
    thread_ = std::thread([this] { watch(); });
}

void RegistryMonitor::stop() {
    std::lock_guard<std::mutex> control(controlMutex_);
    stopLocked();
}

void RegistryMonitor::stopLocked() {
    if (!running_.exchange(false)) return;
    if (watch_) watch_->interrupt();
    if (thread_.joinable()) thread_.join();
    watch_.reset();
}

void RegistryMonitor::watch() {
    std::vector<std::size_t> changed;
    while (running_.load()) {
        if (watch_->wait(changed) != platform::AutostartWatch::Wait::Changes || !running_.load()) break;
        for (const std::size_t k : changed) {
            // Re-armed before the new values are read, and the stored values replaced
            // before any callback runs: a change made while a slow callback (a local
            // model telling the story) works wakes the next round, and nothing is
            // reported twice.
            watch_->arm(k);
            ValueSnapshot now = platform::readAutostartValues(locations_[k]);
            const ValueSnapshot before = std::exchange(snapshots_[k], now);
            if (!callback_) continue;
            compareSnapshots(before, now, [&](const std::string& name, const std::string& data) {
                if (!running_.load()) return;
                RegistryEvent event{locations_[k].hive, locations_[k].keyPath, name, data, nowMs()};
                callGuarded(callback_, event, "[自启动防护] 处理自启动事件时出错：", name);
            });
        }
    }
}

}  // namespace quillvarden
