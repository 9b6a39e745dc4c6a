// Keeps count of the scan worker threads, so that shutdown can stop them and wait
// for them instead of freeing what they still use.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>

namespace quillvarden {

class ScanJobs {
public:
    // Held by a worker for its whole life.
    class Token {
    public:
        explicit Token(ScanJobs& jobs);
        ~Token();
        Token(const Token&) = delete;
        Token& operator=(const Token&) = delete;

    private:
        ScanJobs& jobs_;
    };

    std::size_t running() const;
    // True when every worker has ended within the timeout.
    bool waitForAll(std::chrono::milliseconds timeout);

private:
    mutable std::mutex mutex_;
    std::condition_variable done_;
    std::size_t running_ = 0;
};

}  // namespace quillvarden
