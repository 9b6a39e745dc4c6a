#include "app/win32/webview_loader.h"

#include <shlobj.h>

#include <string>

#include "platform/process_paths.h"
#include "platform/win32/wide_string.h"

namespace quillvarden::win32host {
namespace {

// The runtime's client library takes the environment's creation directly.
using CreateInternalFn = HRESULT(STDAPICALLTYPE*)(bool checkRunningInstance, int runtimeType, PCWSTR userDataFolder,
                                                  IUnknown* environmentOptions,
                                                  ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler);

constexpr wchar_t kStableClientState[] =
    L"SOFTWARE\\Microsoft\\EdgeUpdate\\ClientState\\{F3017226-FE2A-4295-8BDF-00C3A9A7E4C5}";
// Runtimes older than this build lack the interfaces the window uses.
constexpr unsigned kMinimumRuntimeBuild = 1150;

// The loader library, only from the program's own folder: a library of that name
// found elsewhere on the search path is not ours to load.
bool createThroughLoader(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
    const std::string directory = platform::executableDirectory();
    if (directory.empty()) return false;
    HMODULE loader = LoadLibraryExW(platform::win32::widen(directory + "\\WebView2Loader.dll").c_str(), nullptr,
                                    LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!loader) return false;
    auto create = reinterpret_cast<CreateCoreWebView2EnvironmentWithOptionsFn>(
        reinterpret_cast<void*>(GetProcAddress(loader, kCreateCoreWebView2EnvironmentWithOptionsName)));
    // The library stays loaded: the environment lives in it.
    return create && SUCCEEDED(create(nullptr, nullptr, nullptr, handler));
}

std::wstring installedRuntimeFolder() {
    for (HKEY root : {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER}) {
        HKEY key = nullptr;
        if (RegOpenKeyExW(root, kStableClientState, 0, KEY_READ | KEY_WOW64_32KEY, &key) != ERROR_SUCCESS) continue;
        wchar_t folder[MAX_PATH * 2] = {};
        DWORD size = sizeof folder - sizeof(wchar_t);
        DWORD type = 0;
        const bool read = RegQueryValueExW(key, L"EBWebView", nullptr, &type, reinterpret_cast<BYTE*>(folder), &size) ==
                              ERROR_SUCCESS &&
                          type == REG_SZ;
        RegCloseKey(key);
        if (!read) continue;
        const std::wstring path(folder);
        // The version is the folder's last component, such as 131.0.2903.70.
        const std::wstring version = path.substr(path.find_last_of(L'\\') + 1);
        unsigned parts[4] = {};
        if (swscanf(version.c_str(), L"%u.%u.%u.%u", &parts[0], &parts[1], &parts[2], &parts[3]) >= 3 &&
            parts[2] >= kMinimumRuntimeBuild) {
            return path;
        }
    }
    return {};
}

std::wstring userDataFolder() {
    PWSTR local = nullptr;
    std::wstring folder;
    if (SUCCEEDED(SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &local)) && local) {
        folder = std::wstring(local) + L"\\Quillvarden\\EBWebView";
    }
    CoTaskMemFree(local);
    return folder;
}

bool createThroughInstalledRuntime(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
    const std::wstring folder = installedRuntimeFolder();
    if (folder.empty()) return false;
    HMODULE client = LoadLibraryExW((folder + L"\\EBWebView\\x64\\EmbeddedBrowserWebView.dll").c_str(), nullptr,
                                    LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!client) return false;
    auto create = reinterpret_cast<CreateInternalFn>(
        reinterpret_cast<void*>(GetProcAddress(client, "CreateWebViewEnvironmentWithOptionsInternal")));
    if (!create) return false;
    const std::wstring data = userDataFolder();
    return SUCCEEDED(create(true, 0, data.empty() ? nullptr : data.c_str(), nullptr, handler));
}

}  // namespace

bool createWebViewEnvironment(ICoreWebView2CreateCoreWebView2EnvironmentCompletedHandler* handler) {
    return createThroughLoader(handler) || createThroughInstalledRuntime(handler);
}

}  // namespace quillvarden::win32host
