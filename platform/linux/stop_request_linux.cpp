#include "platform/stop_request.h"

#include <signal.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <thread>

namespace quillvarden::platform {
namespace {

int wakeFd = -1;

// Only the one async-signal-safe write happens in the handler; the work is done on a
// thread of our own. A handler (rather than blocking the signals and waiting for them)
// also works when libraries have started threads of their own before main.
void onSignal(int) {
    const int saved = errno;
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t written = ::write(wakeFd, &one, sizeof one);
    errno = saved;
}

}  // namespace

void installStopHandler(std::function<void()> onStop) {
    if (wakeFd >= 0) return;
    wakeFd = ::eventfd(0, EFD_CLOEXEC);
    if (wakeFd < 0) return;
    std::thread([onStop = std::move(onStop)] {
        std::uint64_t count = 0;
        while (::read(wakeFd, &count, sizeof count) < 0 && errno == EINTR) {
        }
        onStop();
    }).detach();
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

}  // namespace quillvarden::platform
