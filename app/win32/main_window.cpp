#include "app/win32/main_window.h"

#include <dwmapi.h>

#include "app/win32/tray_icon.h"
#include "app/win32/web_view_host.h"
#include "app/window_layout.h"
#include "platform/win32/wide_string.h"
#include "server/http_server.h"

namespace quillvarden::win32host {

HWND mainWindow = nullptr;
UINT showWindowMessage = 0;

namespace {

constexpr wchar_t kClassName[] = L"QuillvardenMainWindow";

bool isMaximized(HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    return GetWindowPlacement(window, &placement) && placement.showCmd == SW_SHOWMAXIMIZED;
}

int windowDpi(HWND window) {
    const UINT dpi = GetDpiForWindow(window);
    return dpi == 0 ? 96 : static_cast<int>(dpi);
}

LRESULT hitTest(HWND window, LPARAM lParam) {
    RECT rect{};
    GetWindowRect(window, &rect);
    const int border = MulDiv(6, windowDpi(window), 96);
    const int x = static_cast<short>(LOWORD(lParam));
    const int y = static_cast<short>(HIWORD(lParam));
    switch (hitTestFrame({rect.left, rect.top, rect.right, rect.bottom}, border, x, y, isMaximized(window))) {
        case FrameZone::TopLeft: return HTTOPLEFT;
        case FrameZone::TopRight: return HTTOPRIGHT;
        case FrameZone::BottomLeft: return HTBOTTOMLEFT;
        case FrameZone::BottomRight: return HTBOTTOMRIGHT;
        case FrameZone::Left: return HTLEFT;
        case FrameZone::Right: return HTRIGHT;
        case FrameZone::Top: return HTTOP;
        case FrameZone::Bottom: return HTBOTTOM;
        default: return HTCLIENT;
    }
}

LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (showWindowMessage != 0 && message == showWindowMessage) {
        bringToFront(window);
        return 0;
    }
    switch (message) {
        case WM_DESTROY:
            removeTrayIcon();
            closeWebView();
            requestServerStop();
            PostQuitMessage(0);
            return 0;
        case WM_SIZE: resizeWebView(window); return 0;
        case WM_CLOSE:
            ShowWindow(window, SW_HIDE);  // the program stays in the tray
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize.x = kMainWindowMinWidth;
            info->ptMinTrackSize.y = kMainWindowMinHeight;
            return 0;
        }
        case WM_NCCALCSIZE:
            if (!wParam) break;
            if (isMaximized(window)) {
                // A maximised window reaches past the screen by its frame: keep the page inside.
                auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam);
                const int padding = GetSystemMetrics(SM_CXPADDEDBORDER);
                const int dx = padding + GetSystemMetrics(SM_CXFRAME);
                const int dy = padding + GetSystemMetrics(SM_CYFRAME);
                params->rgrc[0].left += dx;
                params->rgrc[0].right -= dx;
                params->rgrc[0].top += dy;
                params->rgrc[0].bottom -= dy;
            }
            return 0;
        case WM_NCHITTEST: return hitTest(window, lParam);
        case WM_COMMAND:
            if (LOWORD(wParam) == kCommandShowWindow) bringToFront(window);
            if (LOWORD(wParam) == kCommandExit) DestroyWindow(window);
            return 0;
        case kTrayCallbackMessage: handleTrayCallback(window, lParam); return 0;
        default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

HWND createMainWindow(HINSTANCE instance) {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = windowProcedure;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kAppIconResource));
    if (!windowClass.hIcon) windowClass.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
    windowClass.hIconSm = windowClass.hIcon;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = kClassName;
    RegisterClassExW(&windowClass);
    HWND window = CreateWindowExW(0, kClassName, platform::win32::widen(kMainWindowTitle).c_str(), WS_OVERLAPPEDWINDOW,
                                  CW_USEDEFAULT, CW_USEDEFAULT, kMainWindowWidth, kMainWindowHeight, nullptr, nullptr,
                                  instance, nullptr);
    if (!window) return nullptr;
    mainWindow = window;
    const MARGINS margins{0, 0, 1, 0};
    DwmExtendFrameIntoClientArea(window, &margins);
    // Sends WM_NCCALCSIZE, after which the caption and frame are gone.
    SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
    return window;
}

void bringToFront(HWND window) {
    ShowWindow(window, SW_SHOW);
    if (IsIconic(window)) ShowWindow(window, SW_RESTORE);
    SetForegroundWindow(window);
}

void applyWindowAction(HWND window, WindowAction action) {
    switch (action) {
        case WindowAction::Minimize: ShowWindow(window, SW_MINIMIZE); break;
        case WindowAction::ToggleMaximize: ShowWindow(window, isMaximized(window) ? SW_RESTORE : SW_MAXIMIZE); break;
        case WindowAction::Close: PostMessageW(window, WM_CLOSE, 0, 0); break;
        case WindowAction::Drag:
            ReleaseCapture();
            SendMessageW(window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
            break;
    }
}

}  // namespace quillvarden::win32host
