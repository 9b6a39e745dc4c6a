// After an automatic block, a guard keeps undoing the autostart entry and ending the
// program for about five seconds, in case it puts itself back. Guards own copies of
// what they use, and shutdown wakes and joins them at once instead of waiting.
#pragma once

#include <chrono>
#include <condition_variable>
#include <list>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/autostart_store.h"

namespace quillvarden {

struct ReblockRecord {
    platform::AutostartLocation location;
    std::string valueName;
    std::string programPathLower;
    std::string programNameLower;
};

class ReblockGuards {
public:
    static constexpr int kPasses = 25;
    static constexpr std::chrono::milliseconds kPause{200};

    ReblockGuards() = default;
    ~ReblockGuards() { stopAll(); }
    ReblockGuards(const ReblockGuards&) = delete;
    ReblockGuards& operator=(const ReblockGuards&) = delete;

    // Starts one guard; ignored once stopAll has run.
    void launch(ReblockRecord record, platform::SetAside setAside);
    // Ends every guard within one pass and waits for them.
    void stopAll();
    // Guards still running.
    std::size_t active();

private:
    struct Guard {
        std::thread thread;
        bool done = false;
    };
    void reapFinishedLocked();

    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::list<Guard> guards_;
};

}  // namespace quillvarden
