// The borderless main window: the page's title bar moves, minimises, maximises and
// hides it; its edges resize it; closing hides it into the tray.
#pragma once

#include <windows.h>

#include <atomic>
#include <string>

#include "app/window_messages.h"

namespace quillvarden::win32host {

inline constexpr UINT kTrayCallbackMessage = WM_USER + 1;
inline constexpr WORD kCommandShowWindow = 1001;
inline constexpr WORD kCommandExit = 1002;
inline constexpr int kAppIconResource = 101;

extern HWND mainWindow;
// The registered message by which a second start asks this one to show its window.
extern UINT showWindowMessage;

// Registers the class and creates the window (hidden); null on failure.
HWND createMainWindow(HINSTANCE instance);

void applyWindowAction(HWND window, WindowAction action);

// Shows the window, restores it if minimised and brings it to the front.
void bringToFront(HWND window);

}  // namespace quillvarden::win32host
