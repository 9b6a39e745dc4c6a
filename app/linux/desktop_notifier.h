// Protection alerts as desktop notifications (libnotify), the tray balloon's
// counterpart: the same title and text.
#pragma once

#include "protection/host_hooks.h"

namespace quillvarden {

class DesktopNotifier : public INotifier {
public:
    DesktopNotifier();
    ~DesktopNotifier() override;
    // From any thread: the notification is sent from the main loop.
    void showBalloon(const std::string& title, const std::string& text) override;
};

}  // namespace quillvarden
