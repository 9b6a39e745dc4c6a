// What the protections ask of the desktop host: a notification for the user (the
// tray balloon; a desktop notification on Linux) and the relaunch with administrator
// rights. A host installs them before the server starts; without a host (a
// headless start) notifications go nowhere and no relaunch happens.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace quillvarden {

class INotifier {
public:
    virtual ~INotifier() = default;
    // Any thread; must not block for long.
    virtual void showBalloon(const std::string& title, const std::string& text) = 0;
};

// Replaces the process's notifier (null removes it); safe against concurrent use.
void installNotifier(std::shared_ptr<INotifier> notifier);
// Shows a notification through the installed notifier, if any.
void showBalloon(const std::string& title, const std::string& text);

// Replaces the relaunch hook (empty removes it).
void installElevatedRelaunch(std::function<void()> relaunch);
// Asks the host to start this program again elevated with "--enable-autoblock";
// false when no host can (then nothing happens).
bool requestElevatedRelaunch();

}  // namespace quillvarden
