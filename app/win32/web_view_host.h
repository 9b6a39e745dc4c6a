// The embedded browser of the main window: created asynchronously once the window
// exists, sized with it, set up, pointed at the page, and listening for the page's
// four window messages. Where no WebView2 runtime exists, the window says so in one
// line with the address to open in a browser instead.
#pragma once

#include <windows.h>

#include <string>

namespace quillvarden::win32host {

// Starts creating the browser for the window; address is the page with its token.
void startWebView(HWND window, const std::wstring& address);
// Keeps the browser (or the notice that replaces it) filling the client area.
void resizeWebView(HWND window);
// Releases the browser; on WM_DESTROY.
void closeWebView();

}  // namespace quillvarden::win32host
