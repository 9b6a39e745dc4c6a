// Watches the autostart locations and reports every value that is added, or whose
// data changes, while it runs. Values present at start are the baseline.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/autostart_store.h"
#include "protection/monitor_events.h"

namespace quillvarden {

using ValueSnapshot = platform::AutostartValues;

class RegistryMonitor {
public:
    using Callback = std::function<void(const RegistryEvent&)>;

    // locations: where to watch, in order; the system's own unless a caller (a test)
    // gives others.
    explicit RegistryMonitor(std::vector<platform::AutostartLocation> locations =
                                 platform::defaultAutostartLocations());
    ~RegistryMonitor();
    RegistryMonitor(const RegistryMonitor&) = delete;
    RegistryMonitor& operator=(const RegistryMonitor&) = delete;

    // Takes the baseline and starts watching; a running monitor is stopped first.
    bool start(Callback callback);
    // Waits for a callback that is running to return.
    // Starts unless running already (then the installed callback stays).
    void ensureStarted(Callback callback);
    void stop();
    bool isRunning() const { return running_.load(); }
    const std::vector<platform::AutostartLocation>& locations() const { return locations_; }

private:
    void watch();
    void startLocked(Callback callback);
    void stopLocked();

    std::mutex controlMutex_;
    Callback callback_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::unique_ptr<platform::AutostartWatch> watch_;
    const std::vector<platform::AutostartLocation> locations_;
    std::vector<ValueSnapshot> snapshots_;
};

// Calls report for every entry of now that is new or whose data differs from before;
// values that disappeared report nothing.
void compareSnapshots(const ValueSnapshot& before, const ValueSnapshot& now,
                      const std::function<void(const std::string& name, const std::string& data)>& report);

}  // namespace quillvarden
