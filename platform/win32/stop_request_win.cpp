#include "platform/stop_request.h"

#include <windows.h>

#include <mutex>
#include <thread>
#include <utility>

namespace quillvarden::platform {
namespace {

std::function<void()>& stopCallback() {
    static std::function<void()> callback;
    return callback;
}

std::once_flag& stopOnce() {
    static std::once_flag once;
    return once;
}

BOOL WINAPI onConsoleControl(DWORD) {
    // The control handler runs on a system thread; hand the work to our own.
    std::call_once(stopOnce(), [] { std::thread(stopCallback()).detach(); });
    return TRUE;
}

}  // namespace

void installStopHandler(std::function<void()> onStop) {
    stopCallback() = std::move(onStop);
    SetConsoleCtrlHandler(onConsoleControl, TRUE);
}

}  // namespace quillvarden::platform
