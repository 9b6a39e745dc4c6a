#include "app/server_thread.h"

#include <atomic>
#include <memory>

namespace quillvarden {

namespace {
std::atomic<bool> serverThreadDone{false};
}  // namespace

ServerThread::~ServerThread() { stop(); }

bool ServerThread::start(const ServeOptions& options) {
    serverThreadDone.store(false);
    thread_ = std::thread([options] {
        RunHttpServer(options);
        serverThreadDone.store(true);
    });
    for (;;) {
        const BindOutcome outcome = serverBindOutcome.load();
        if (outcome == BindOutcome::Bound) return true;
        if (outcome == BindOutcome::Failed || serverThreadDone.load()) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void ServerThread::stop(std::chrono::milliseconds patience) {
    if (!thread_.joinable()) return;
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (!serverThreadDone.load() && std::chrono::steady_clock::now() < deadline) {
        requestServerStop();
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    // A shutdown that hangs must not keep the program from ending.
    if (serverThreadDone.load()) {
        thread_.join();
    } else {
        thread_.detach();
    }
}

}  // namespace quillvarden
