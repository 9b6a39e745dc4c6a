#include "app/win32/single_instance_win.h"

#include "app/win32/main_window.h"

namespace quillvarden::win32host {

HANDLE instanceMutex = nullptr;

namespace {
constexpr wchar_t kMutexName[] = L"QuillvardenSingleInstanceMutex_v1";
constexpr wchar_t kShowMessageName[] = L"QuillvardenShowWindowMessage_v1";
}  // namespace

bool claimSingleInstance() {
    if (showWindowMessage == 0) showWindowMessage = RegisterWindowMessageW(kShowMessageName);
    instanceMutex = CreateMutexW(nullptr, TRUE, kMutexName);
    if (instanceMutex && GetLastError() == ERROR_ALREADY_EXISTS) {
        if (showWindowMessage != 0) PostMessageW(HWND_BROADCAST, showWindowMessage, 0, 0);
        CloseHandle(instanceMutex);
        instanceMutex = nullptr;
        return false;
    }
    return true;
}

void releaseSingleInstance() {
    if (!instanceMutex) return;
    ReleaseMutex(instanceMutex);
    CloseHandle(instanceMutex);
    instanceMutex = nullptr;
}

}  // namespace quillvarden::win32host
