#include "protection/reblock_guards.h"

#include "protection/process_termination.h"

namespace quillvarden {

void ReblockGuards::launch(ReblockRecord record, platform::SetAside setAside) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return;
    reapFinishedLocked();
    Guard& guard = guards_.emplace_back();
    guard.thread = std::thread([this, &guard, record = std::move(record), setAside = std::move(setAside)] {
        for (int pass = 0; pass < kPasses; ++pass) {
            if (platform::autostartValueExists(record.location, record.valueName)) {
                platform::revokeAutostartValue(record.location, record.valueName, setAside);
            }
            terminateMatchingProcesses(record.programPathLower, record.programNameLower);
            std::unique_lock<std::mutex> wait(mutex_);
            if (wake_.wait_for(wait, kPause, [this] { return stopping_; })) break;
        }
        std::lock_guard<std::mutex> done(mutex_);
        guard.done = true;
    });
}

void ReblockGuards::stopAll() {
    std::list<Guard> guards;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
        guards.splice(guards.end(), guards_);
    }
    wake_.notify_all();
    for (Guard& guard : guards) {
        if (guard.thread.joinable()) guard.thread.join();
    }
}

std::size_t ReblockGuards::active() {
    std::lock_guard<std::mutex> lock(mutex_);
    reapFinishedLocked();
    return guards_.size();
}

void ReblockGuards::reapFinishedLocked() {
    for (auto it = guards_.begin(); it != guards_.end();) {
        if (it->done) {
            it->thread.join();  // has finished its work; only its return remains
            it = guards_.erase(it);
        } else {
            ++it;
        }
    }
}

}  // namespace quillvarden
