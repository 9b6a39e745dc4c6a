#include "server/scan_jobs.h"

namespace quillvarden {

ScanJobs::Token::Token(ScanJobs& jobs) : jobs_(jobs) {
    std::lock_guard<std::mutex> lock(jobs_.mutex_);
    ++jobs_.running_;
}

ScanJobs::Token::~Token() {
    {
        std::lock_guard<std::mutex> lock(jobs_.mutex_);
        --jobs_.running_;
    }
    jobs_.done_.notify_all();
}

std::size_t ScanJobs::running() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return running_;
}

bool ScanJobs::waitForAll(std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return done_.wait_for(lock, timeout, [this] { return running_ == 0; });
}

}  // namespace quillvarden
