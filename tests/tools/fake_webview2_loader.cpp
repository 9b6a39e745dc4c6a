// A stand-in for the WebView2 runtime, for the desktop tests under Wine (which has
// none): a WebView2Loader.dll that implements the interfaces the window uses, writes
// every call that matters into fake-webview.log beside itself, and delivers the page
// messages listed in fake-webview-messages.txt (one a line; "json:" before a line
// sends it as a non-string message), as if the page had posted them.
#include <windows.h>

#include <atomic>
#include <cstdio>
#include <string>
#include <vector>

#include "app/win32/webview2_interfaces.h"

namespace {

std::wstring moduleFolder() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&moduleFolder), &self);
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(self, path, MAX_PATH);
    std::wstring folder(path);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

std::string utf8(const std::wstring& text) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring wide(const std::string& text) {
    const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
    std::wstring out(size > 0 ? size - 1 : 0, L'\0');
    if (size > 1) MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), size);
    return out;
}

void log(const std::string& line) {
    FILE* out = _wfopen((moduleFolder() + L"\\fake-webview.log").c_str(), L"ab");
    if (!out) return;
    std::fprintf(out, "%s\n", line.c_str());
    std::fclose(out);
}

std::vector<std::string> readLines(const std::wstring& path) {
    std::vector<std::string> lines;
    FILE* in = _wfopen(path.c_str(), L"rb");
    if (!in) return lines;
    std::string text;
    char buffer[4096];
    for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, in)) > 0;) text.append(buffer, got);
    std::fclose(in);
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find('\n', start);
        if (end == std::string::npos) break;  // a line still being written waits for the next round
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

LPWSTR copyForCaller(const std::wstring& text) {
    auto* copy = static_cast<LPWSTR>(CoTaskMemAlloc((text.size() + 1) * sizeof(wchar_t)));
    if (copy) wcscpy(copy, text.c_str());
    return copy;
}

template <typename Interface>
class Unknown : public Interface {
public:
    explicit Unknown(const GUID& id) : id_(id) {}
    virtual ~Unknown() = default;
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** object) override {
        if (!object) return E_POINTER;
        if (IsEqualIID(id, IID_IUnknown) || IsEqualIID(id, id_) || extraInterface(id)) {
            *object = static_cast<Interface*>(this);
            this->AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual bool extraInterface(REFIID) const { return false; }

private:
    GUID id_;
    std::atomic<ULONG> references_{1};
};

class MessageArgs final : public Unknown<ICoreWebView2WebMessageReceivedEventArgs> {
public:
    MessageArgs(std::wstring text, bool isString)
        : Unknown(IID_ICoreWebView2WebMessageReceivedEventArgs), text_(std::move(text)), isString_(isString) {}
    HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* source) override {
        *source = copyForCaller(L"http://127.0.0.1:8910/");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_WebMessageAsJson(LPWSTR* json) override {
        *json = copyForCaller(isString_ ? L"\"" + text_ + L"\"" : text_);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE TryGetWebMessageAsString(LPWSTR* text) override {
        *text = nullptr;
        if (!isString_) return E_INVALIDARG;
        *text = copyForCaller(text_);
        return S_OK;
    }

private:
    std::wstring text_;
    bool isString_;
};

class Settings final : public Unknown<ICoreWebView2Settings3> {
public:
    Settings() : Unknown(IID_ICoreWebView2Settings) {}
    HRESULT STDMETHODCALLTYPE get_IsScriptEnabled(BOOL* isScriptEnabled) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_IsScriptEnabled(BOOL isScriptEnabled) override {
        return record("IsScriptEnabled", isScriptEnabled);
    }
    HRESULT STDMETHODCALLTYPE get_IsWebMessageEnabled(BOOL* isWebMessageEnabled) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_IsWebMessageEnabled(BOOL isWebMessageEnabled) override {
        return record("IsWebMessageEnabled", isWebMessageEnabled);
    }
    HRESULT STDMETHODCALLTYPE get_AreDefaultScriptDialogsEnabled(BOOL* areDefaultScriptDialogsEnabled) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE put_AreDefaultScriptDialogsEnabled(BOOL areDefaultScriptDialogsEnabled) override {
        return record("AreDefaultScriptDialogsEnabled", areDefaultScriptDialogsEnabled);
    }
    HRESULT STDMETHODCALLTYPE get_IsStatusBarEnabled(BOOL* isStatusBarEnabled) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_IsStatusBarEnabled(BOOL isStatusBarEnabled) override {
        return record("IsStatusBarEnabled", isStatusBarEnabled);
    }
    HRESULT STDMETHODCALLTYPE get_AreDevToolsEnabled(BOOL* areDevToolsEnabled) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_AreDevToolsEnabled(BOOL areDevToolsEnabled) override {
        return record("AreDevToolsEnabled", areDevToolsEnabled);
    }
    HRESULT STDMETHODCALLTYPE get_AreDefaultContextMenusEnabled(BOOL* enabled) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_AreDefaultContextMenusEnabled(BOOL enabled) override {
        return record("AreDefaultContextMenusEnabled", enabled);
    }
    HRESULT STDMETHODCALLTYPE get_AreHostObjectsAllowed(BOOL* allowed) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_AreHostObjectsAllowed(BOOL allowed) override {
        return record("AreHostObjectsAllowed", allowed);
    }
    HRESULT STDMETHODCALLTYPE get_IsZoomControlEnabled(BOOL* enabled) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_IsZoomControlEnabled(BOOL enabled) override {
        return record("IsZoomControlEnabled", enabled);
    }
    HRESULT STDMETHODCALLTYPE get_IsBuiltInErrorPageEnabled(BOOL* enabled) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_IsBuiltInErrorPageEnabled(BOOL enabled) override {
        return record("IsBuiltInErrorPageEnabled", enabled);
    }
    HRESULT STDMETHODCALLTYPE get_UserAgent(LPWSTR* userAgent) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_UserAgent(LPCWSTR userAgent) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_AreBrowserAcceleratorKeysEnabled(BOOL* areBrowserAcceleratorKeysEnabled) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE put_AreBrowserAcceleratorKeysEnabled(BOOL areBrowserAcceleratorKeysEnabled) override {
        return record("AreBrowserAcceleratorKeysEnabled", areBrowserAcceleratorKeysEnabled);
    }

private:
    bool extraInterface(REFIID id) const override {
        return IsEqualIID(id, IID_ICoreWebView2Settings2) || IsEqualIID(id, IID_ICoreWebView2Settings3);
    }
    HRESULT record(const char* name, BOOL value) {
        log(std::string("setting ") + name + "=" + (value ? "1" : "0"));
        return S_OK;
    }
};

class WebView;
WebView* deliveringView = nullptr;
std::size_t deliveredLines = 0;

class WebView final : public Unknown<ICoreWebView2> {
public:
    WebView() : Unknown(IID_ICoreWebView2) {}
    ~WebView() override {
        if (handler_) handler_->Release();
    }
    HRESULT STDMETHODCALLTYPE get_Settings(ICoreWebView2Settings** settings) override {
        *settings = new Settings();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Navigate(LPCWSTR uri) override {
        log("navigate " + utf8(uri));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE add_WebMessageReceived(ICoreWebView2WebMessageReceivedEventHandler* handler,
                                                     EventRegistrationToken* token) override {
        if (handler_) handler_->Release();
        handler_ = handler;
        handler_->AddRef();
        token->value = 1;
        log("web messages handled");
        deliveringView = this;
        SetTimer(nullptr, 0, 100, deliverMessages);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE remove_WebMessageReceived(EventRegistrationToken) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE get_Source(LPWSTR* uri) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NavigateToString(LPCWSTR htmlContent) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_NavigationStarting(ICoreWebView2NavigationStartingEventHandler* eventHandler,
                                                     EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_NavigationStarting(EventRegistrationToken token) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_ContentLoading(ICoreWebView2ContentLoadingEventHandler* eventHandler,
                                                 EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_ContentLoading(EventRegistrationToken token) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_SourceChanged(ICoreWebView2SourceChangedEventHandler* eventHandler,
                                                EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_SourceChanged(EventRegistrationToken token) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_HistoryChanged(ICoreWebView2HistoryChangedEventHandler* eventHandler,
                                                 EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_HistoryChanged(EventRegistrationToken token) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_NavigationCompleted(ICoreWebView2NavigationCompletedEventHandler* eventHandler,
                                                      EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_NavigationCompleted(EventRegistrationToken token) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_FrameNavigationStarting(ICoreWebView2NavigationStartingEventHandler* eventHandler,
                                                          EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_FrameNavigationStarting(EventRegistrationToken token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_FrameNavigationCompleted(ICoreWebView2NavigationCompletedEventHandler* eventHandler,
                                                           EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_FrameNavigationCompleted(EventRegistrationToken token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_ScriptDialogOpening(ICoreWebView2ScriptDialogOpeningEventHandler* eventHandler,
                                                      EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_ScriptDialogOpening(EventRegistrationToken token) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_PermissionRequested(ICoreWebView2PermissionRequestedEventHandler* eventHandler,
                                                      EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_PermissionRequested(EventRegistrationToken token) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_ProcessFailed(ICoreWebView2ProcessFailedEventHandler* eventHandler,
                                                EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_ProcessFailed(EventRegistrationToken token) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddScriptToExecuteOnDocumentCreated(
        LPCWSTR javaScript, ICoreWebView2AddScriptToExecuteOnDocumentCreatedCompletedHandler* handler) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE RemoveScriptToExecuteOnDocumentCreated(LPCWSTR id) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ExecuteScript(LPCWSTR javaScript,
                                            ICoreWebView2ExecuteScriptCompletedHandler* handler) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE CapturePreview(COREWEBVIEW2_CAPTURE_PREVIEW_IMAGE_FORMAT imageFormat,
                                             IStream* imageStream,
                                             ICoreWebView2CapturePreviewCompletedHandler* handler) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Reload() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PostWebMessageAsJson(LPCWSTR webMessageAsJson) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE PostWebMessageAsString(LPCWSTR webMessageAsString) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE
    CallDevToolsProtocolMethod(LPCWSTR methodName, LPCWSTR parametersAsJson,
                               ICoreWebView2CallDevToolsProtocolMethodCompletedHandler* handler) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_BrowserProcessId(UINT32* value) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_CanGoBack(BOOL* canGoBack) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_CanGoForward(BOOL* canGoForward) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GoBack() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GoForward() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetDevToolsProtocolEventReceiver(
        LPCWSTR eventName, ICoreWebView2DevToolsProtocolEventReceiver** receiver) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Stop() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_NewWindowRequested(ICoreWebView2NewWindowRequestedEventHandler* eventHandler,
                                                     EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_NewWindowRequested(EventRegistrationToken token) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_DocumentTitleChanged(ICoreWebView2DocumentTitleChangedEventHandler* eventHandler,
                                                       EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_DocumentTitleChanged(EventRegistrationToken token) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_DocumentTitle(LPWSTR* title) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE AddHostObjectToScript(LPCWSTR name, VARIANT* object) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RemoveHostObjectFromScript(LPCWSTR name) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OpenDevToolsWindow() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE
    add_ContainsFullScreenElementChanged(ICoreWebView2ContainsFullScreenElementChangedEventHandler* eventHandler,
                                         EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_ContainsFullScreenElementChanged(EventRegistrationToken token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_ContainsFullScreenElement(BOOL* containsFullScreenElement) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_WebResourceRequested(ICoreWebView2WebResourceRequestedEventHandler* eventHandler,
                                                       EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_WebResourceRequested(EventRegistrationToken token) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE
    AddWebResourceRequestedFilter(const LPCWSTR uri, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT resourceContext) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE RemoveWebResourceRequestedFilter(
        const LPCWSTR uri, const COREWEBVIEW2_WEB_RESOURCE_CONTEXT resourceContext) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE add_WindowCloseRequested(ICoreWebView2WindowCloseRequestedEventHandler* eventHandler,
                                                       EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_WindowCloseRequested(EventRegistrationToken token) override { return E_NOTIMPL; }

    // Called on the window's thread by the timer: sends the lines added to the file.
    static void CALLBACK deliverMessages(HWND, UINT, UINT_PTR, DWORD) {
        if (!deliveringView || !deliveringView->handler_) return;
        const std::vector<std::string> lines = readLines(moduleFolder() + L"\\fake-webview-messages.txt");
        while (deliveredLines < lines.size()) {
            const std::string& line = lines[deliveredLines++];
            const bool json = line.rfind("json:", 0) == 0;
            auto* args = new MessageArgs(wide(json ? line.substr(5) : line), !json);
            deliveringView->handler_->Invoke(deliveringView, args);
            args->Release();
            log("delivered " + line);
        }
    }

private:
    ICoreWebView2WebMessageReceivedEventHandler* handler_ = nullptr;
};

class Controller final : public Unknown<ICoreWebView2Controller> {
public:
    Controller() : Unknown(IID_ICoreWebView2Controller), view_(new WebView()) {}
    ~Controller() override { view_->Release(); }
    HRESULT STDMETHODCALLTYPE get_Bounds(RECT* bounds) override {
        *bounds = bounds_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE put_Bounds(RECT bounds) override {
        bounds_ = bounds;
        char line[96];
        std::snprintf(line, sizeof line, "bounds %ld %ld %ld %ld", bounds.left, bounds.top, bounds.right,
                      bounds.bottom);
        log(line);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_CoreWebView2(ICoreWebView2** view) override {
        *view = view_;
        view_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Close() override {
        log("closed");
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsVisible(BOOL* isVisible) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_IsVisible(BOOL isVisible) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ZoomFactor(double* zoomFactor) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ZoomFactor(double zoomFactor) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_ZoomFactorChanged(ICoreWebView2ZoomFactorChangedEventHandler* eventHandler,
                                                    EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_ZoomFactorChanged(EventRegistrationToken token) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetBoundsAndZoomFactor(RECT bounds, double zoomFactor) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE MoveFocus(COREWEBVIEW2_MOVE_FOCUS_REASON reason) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_MoveFocusRequested(ICoreWebView2MoveFocusRequestedEventHandler* eventHandler,
                                                     EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_MoveFocusRequested(EventRegistrationToken token) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_GotFocus(ICoreWebView2FocusChangedEventHandler* eventHandler,
                                           EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_GotFocus(EventRegistrationToken token) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_LostFocus(ICoreWebView2FocusChangedEventHandler* eventHandler,
                                            EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_LostFocus(EventRegistrationToken token) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_AcceleratorKeyPressed(ICoreWebView2AcceleratorKeyPressedEventHandler* eventHandler,
                                                        EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_AcceleratorKeyPressed(EventRegistrationToken token) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE get_ParentWindow(HWND* parentWindow) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE put_ParentWindow(HWND parentWindow) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE NotifyParentWindowPositionChanged() override { return E_NOTIMPL; }

private:
    WebView* view_;
    RECT bounds_{};
};

class Environment final : public Unknown<ICoreWebView2Environment> {
public:
    Environment() : Unknown(IID_ICoreWebView2Environment) {}
    HRESULT STDMETHODCALLTYPE CreateCoreWebView2Controller(
        HWND parent, ICoreWebView2CreateCoreWebView2ControllerCompletedHandler* handler) override {
        log(parent ? "controller for a window" : "controller without a window");
        auto* controller = new Controller();
        handler->Invoke(S_OK, controller);
        controller->Release();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE CreateWebResourceResponse(IStream* content, int statusCode, LPCWSTR reasonPhrase,
                                                        LPCWSTR headers,
                                                        ICoreWebView2WebResourceResponse** response) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE get_BrowserVersionString(LPWSTR* versionInfo) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE add_NewBrowserVersionAvailable(
        ICoreWebView2NewBrowserVersionAvailableEventHandler* eventHandler, EventRegistrationToken* token) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE remove_NewBrowserVersionAvailable(EventRegistrationToken token) override {
        return E_NOTIMPL;
    }
};

}  // namespace

extern "C" __declspec(dllexport) HRESULT STDAPICALLTYPE
    CreateCoreWebView2EnvironmentWithOptions(PCWSTR browserFolder, PCWSTR userDataFolder,
                                             ICoreWebView2EnvironmentOptions* options,
                                             ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
    log(std::string("environment browserFolder=") + (browserFolder ? "set" : "null") +
        " userDataFolder=" + (userDataFolder ? "set" : "null") + " options=" + (options ? "set" : "null"));
    auto* environment = new Environment();
    handler->Invoke(S_OK, environment);
    environment->Release();
    return S_OK;
}
