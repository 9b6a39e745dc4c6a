#include "platform/stop_request.h"

#include <pthread.h>
#include <signal.h>

#include <thread>

namespace quillvarden::platform {

void installStopHandler(std::function<void()> onStop) {
    // Block the signals in this thread (and every thread started after it) and take
    // them synchronously on a thread of our own: no work inside a signal handler.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([signals, onStop = std::move(onStop)]() mutable {
        int received = 0;
        sigwait(&signals, &received);
        onStop();
    }).detach();
}

}  // namespace quillvarden::platform
