#include "protection/host_hooks.h"

#include <mutex>

namespace quillvarden {
namespace {

std::mutex hooksMutex;
std::shared_ptr<INotifier> currentNotifier;
std::shared_ptr<const std::function<void()>> currentRelaunch;

}  // namespace

void installNotifier(std::shared_ptr<INotifier> notifier) {
    std::lock_guard<std::mutex> lock(hooksMutex);
    currentNotifier = std::move(notifier);
}

void showBalloon(const std::string& title, const std::string& text) {
    std::shared_ptr<INotifier> notifier;
    {
        std::lock_guard<std::mutex> lock(hooksMutex);
        notifier = currentNotifier;
    }
    // Called without the lock, so that a slow notifier holds nobody up.
    if (notifier) notifier->showBalloon(title, text);
}

void installElevatedRelaunch(std::function<void()> relaunch) {
    std::lock_guard<std::mutex> lock(hooksMutex);
    currentRelaunch = relaunch ? std::make_shared<const std::function<void()>>(std::move(relaunch)) : nullptr;
}

bool requestElevatedRelaunch() {
    std::shared_ptr<const std::function<void()>> relaunch;
    {
        std::lock_guard<std::mutex> lock(hooksMutex);
        relaunch = currentRelaunch;
    }
    if (!relaunch) return false;
    (*relaunch)();
    return true;
}

}  // namespace quillvarden
