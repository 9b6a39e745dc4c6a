#include "app/win32/web_view_host.h"

#include "app/win32/com_handler.h"
#include "app/win32/main_window.h"
#include "app/win32/webview2_interfaces.h"
#include "app/win32/webview_loader.h"
#include "app/window_messages.h"
#include "platform/win32/wide_string.h"

namespace quillvarden::win32host {
namespace {

using EnvironmentCompleted =
    ComHandler<ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler,
               IID_ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler, HRESULT, ICoreWebView2Environment*>;
using ControllerCompleted =
    ComHandler<ICoreWebView2CreateCoreWebView2ControllerCompletedHandler,
               IID_ICoreWebView2CreateCoreWebView2ControllerCompletedHandler, HRESULT, ICoreWebView2Controller*>;
using MessageReceived =
    ComHandler<ICoreWebView2WebMessageReceivedEventHandler, IID_ICoreWebView2WebMessageReceivedEventHandler,
               ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs*>;

// Main thread only.
ICoreWebView2Controller* webViewController = nullptr;
ICoreWebView2* webView = nullptr;
HWND notice = nullptr;
std::wstring pageAddress;

void showMissingRuntimeNotice(HWND window) {
    if (notice) return;
    const std::wstring text = L"未找到 WebView2 运行库，无法在窗口中显示界面。请在浏览器中打开：" + pageAddress;
    // A read-only edit box, so that the address can be selected and copied.
    notice =
        CreateWindowExW(0, L"EDIT", text.c_str(), WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL,
                        0, 0, 0, 0, window, nullptr, GetModuleHandleW(nullptr), nullptr);
    SendMessageW(notice, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    resizeWebView(window);
}

HRESULT onWebMessage(ICoreWebView2*, ICoreWebView2WebMessageReceivedEventArgs* args) {
    LPWSTR text = nullptr;
    // A message that is not a string cannot be read as one and is ignored.
    if (!args || FAILED(args->TryGetWebMessageAsString(&text)) || !text) return S_OK;
    const std::string message = platform::win32::narrow(text);
    CoTaskMemFree(text);
    if (const auto action = parseWindowMessage(message)) applyWindowAction(mainWindow, *action);
    return S_OK;
}

void applySettings(ICoreWebView2* view) {
    ICoreWebView2Settings* settings = nullptr;
    if (FAILED(view->get_Settings(&settings)) || !settings) return;
    settings->put_IsScriptEnabled(TRUE);
    settings->put_AreDefaultScriptDialogsEnabled(FALSE);
    settings->put_IsWebMessageEnabled(TRUE);
    settings->put_AreDevToolsEnabled(FALSE);
    settings->put_IsStatusBarEnabled(FALSE);
    settings->put_AreDefaultContextMenusEnabled(FALSE);
    ICoreWebView2Settings3* settings3 = nullptr;
    if (SUCCEEDED(settings->QueryInterface(IID_ICoreWebView2Settings3, reinterpret_cast<void**>(&settings3))) &&
        settings3) {
        settings3->put_AreBrowserAcceleratorKeysEnabled(FALSE);
        settings3->Release();
    }
    settings->Release();
}

HRESULT onControllerCreated(HWND window, HRESULT result, ICoreWebView2Controller* controller) {
    if (FAILED(result) || !controller) {
        showMissingRuntimeNotice(window);
        return result;
    }
    if (webViewController) webViewController->Release();
    webViewController = controller;
    webViewController->AddRef();
    if (webView) webView->Release();
    webView = nullptr;
    webViewController->get_CoreWebView2(&webView);
    resizeWebView(window);
    if (!webView) return S_OK;
    applySettings(webView);
    EventRegistrationToken token{};
    ICoreWebView2WebMessageReceivedEventHandler* handler = MessageReceived::create(onWebMessage);
    webView->add_WebMessageReceived(handler, &token);
    handler->Release();
    webView->Navigate(pageAddress.c_str());
    return S_OK;
}

HRESULT onEnvironmentCreated(HWND window, HRESULT result, ICoreWebView2Environment* environment) {
    if (FAILED(result) || !environment) {
        showMissingRuntimeNotice(window);
        return result;
    }
    ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler =
        ControllerCompleted::create([window](HRESULT created, ICoreWebView2Controller* controller) {
            return onControllerCreated(window, created, controller);
        });
    const HRESULT started = environment->CreateCoreWebView2Controller(window, handler);
    handler->Release();
    if (FAILED(started)) showMissingRuntimeNotice(window);
    return S_OK;
}

}  // namespace

void startWebView(HWND window, const std::wstring& address) {
    pageAddress = address;
    ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler =
        EnvironmentCompleted::create([window](HRESULT result, ICoreWebView2Environment* environment) {
            return onEnvironmentCreated(window, result, environment);
        });
    if (!createWebViewEnvironment(handler)) showMissingRuntimeNotice(window);
    handler->Release();
}

void resizeWebView(HWND window) {
    RECT bounds{};
    GetClientRect(window, &bounds);
    if (webViewController) webViewController->put_Bounds(bounds);
    if (notice) {
        const int margin = 24;
        MoveWindow(notice, margin, margin, bounds.right - 2 * margin, bounds.bottom - 2 * margin, TRUE);
    }
}

void closeWebView() {
    if (webView) webView->Release();
    webView = nullptr;
    if (webViewController) {
        webViewController->Close();
        webViewController->Release();
    }
    webViewController = nullptr;
}

}  // namespace quillvarden::win32host
