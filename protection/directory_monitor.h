// Watches one directory tree that the user picks and reports every program file that
// is created, written or renamed inside it.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>

#include "protection/monitor_events.h"

namespace quillvarden {

namespace platform {
class DirectoryWatch;
}

class DirectoryMonitor {
public:
    using Callback = std::function<void(const FileEvent&)>;

    DirectoryMonitor();
    ~DirectoryMonitor();
    DirectoryMonitor(const DirectoryMonitor&) = delete;
    DirectoryMonitor& operator=(const DirectoryMonitor&) = delete;

    // Stops a running watch first; the callback replaces the old one even when the
    // start then fails. False when the directory cannot be opened.
    bool start(const std::string& path, Callback callback);
    void stop();
    bool isRunning() const { return running_.load(); }
    // The directory being, or last, watched.
    std::string watchDir() const;
    // Lower-case extensions with their dot; an empty set lets every file through.
    void setExtensions(std::set<std::string> extensions);
    // The extension filter on a reported (relative) name.
    bool passesFilter(const std::string& name) const;

private:
    void watch(platform::DirectoryWatch& watch);
    void stopLocked();

    std::mutex controlMutex_;  // start and stop of this monitor never overlap
    Callback callback_;
    std::thread thread_;
    std::atomic<bool> running_{false};
    std::unique_ptr<platform::DirectoryWatch> directory_;
    mutable std::mutex mutex_;  // guards watchDir_ and extensions_
    std::string watchDir_;
    std::set<std::string> extensions_;
};

// The twelve kinds of program and script the server watches for.
std::set<std::string> monitoredExtensions();

}  // namespace quillvarden
