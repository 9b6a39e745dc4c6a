#include "app/win32/tray_icon.h"

#include <shellapi.h>

#include <atomic>
#include <algorithm>
#include <string>

#include "app/balloon_text.h"
#include "app/win32/main_window.h"
#include "app/window_layout.h"
#include "platform/text_encoding.h"

namespace quillvarden::win32host {
namespace {

NOTIFYICONDATAW trayIconData{};
// Published once trayIconData is complete; monitor threads read it through this.
std::atomic<const NOTIFYICONDATAW*> publishedTray{nullptr};

void copyCut(wchar_t* field, std::size_t fieldUnits, const std::string& utf8, std::size_t limit) {
    const std::u16string text = cutUtf16(platform::utf8ToUtf16(utf8), limit);
    const std::size_t units = std::min(text.size(), fieldUnits - 1);
    std::copy(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(units), field);
    field[units] = L'\0';
}

}  // namespace

void addTrayIcon(HWND window, HINSTANCE instance) {
    trayIconData = NOTIFYICONDATAW{};
    trayIconData.cbSize = sizeof trayIconData;
    trayIconData.hWnd = window;
    trayIconData.uID = 1;
    trayIconData.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
    trayIconData.uCallbackMessage = kTrayCallbackMessage;
    trayIconData.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kAppIconResource));
    if (!trayIconData.hIcon) trayIconData.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    copyCut(trayIconData.szTip, 128, kMainWindowTitle, 127);
    Shell_NotifyIconW(NIM_ADD, &trayIconData);
    publishedTray.store(&trayIconData, std::memory_order_release);
}

void removeTrayIcon() {
    publishedTray.store(nullptr, std::memory_order_release);
    if (trayIconData.hWnd) Shell_NotifyIconW(NIM_DELETE, &trayIconData);
}

void handleTrayCallback(HWND window, LPARAM mouseMessage) {
    if (mouseMessage == WM_LBUTTONDBLCLK) {
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
    } else if (mouseMessage == WM_RBUTTONUP) {
        POINT cursor{};
        GetCursorPos(&cursor);
        HMENU menu = CreatePopupMenu();
        AppendMenuW(menu, MF_STRING, kCommandShowWindow, L"打开主界面");
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, kCommandExit, L"退出");
        SetForegroundWindow(window);  // so that the menu closes on a click elsewhere
        TrackPopupMenu(menu, TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, window, nullptr);
        DestroyMenu(menu);
    }
}

void TrayNotifier::showBalloon(const std::string& title, const std::string& text) {
    const NOTIFYICONDATAW* published = publishedTray.load(std::memory_order_acquire);
    if (!published) return;  // no window yet
    NOTIFYICONDATAW balloon = *published;
    balloon.uFlags = NIF_INFO;
    balloon.dwInfoFlags = NIIF_WARNING;
    balloon.uTimeout = 10000;
    copyCut(balloon.szInfoTitle, 64, title, kBalloonTitleUnits);
    copyCut(balloon.szInfo, 256, text, kBalloonTextUnits);
    Shell_NotifyIconW(NIM_MODIFY, &balloon);
}

}  // namespace quillvarden::win32host
