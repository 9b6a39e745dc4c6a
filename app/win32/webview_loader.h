// Finding the WebView2 runtime without its SDK: the loader library beside the
// program, else the installed Evergreen runtime's own client library.
#pragma once

#include <windows.h>

#include "app/win32/webview2_interfaces.h"

namespace quillvarden::win32host {

// Starts creating the browser environment; the handler is called on this thread's
// message loop. False (and the handler is never called) when no runtime was found or
// creation could not start.
bool createWebViewEnvironment(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);

}  // namespace quillvarden::win32host
