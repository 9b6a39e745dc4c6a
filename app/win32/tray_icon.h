// The notification-area icon with its menu, and the balloons that carry the
// protections' alerts.
#pragma once

#include <windows.h>

#include "protection/host_hooks.h"

namespace quillvarden::win32host {

// After the main window exists: fills the icon record once and adds the icon.
void addTrayIcon(HWND window, HINSTANCE instance);
void removeTrayIcon();
// The callback message's mouse message: double click shows, right click opens the menu.
void handleTrayCallback(HWND window, LPARAM mouseMessage);

// Balloons from any thread: a caller sees either no icon yet or the whole record.
class TrayNotifier : public INotifier {
public:
    void showBalloon(const std::string& title, const std::string& text) override;
};

}  // namespace quillvarden::win32host
