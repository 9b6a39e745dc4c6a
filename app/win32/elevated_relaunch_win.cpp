#include "app/win32/elevated_relaunch_win.h"

#include <windows.h>
#include <objbase.h>
#include <shellapi.h>

#include <thread>

#include "app/win32/main_window.h"
#include "app/win32/single_instance_win.h"
#include "platform/console.h"

namespace quillvarden::win32host {

void startElevatedRelaunch() {
    std::thread([] {
        Sleep(150);  // the reply that asked for it leaves first
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        releaseSingleInstance();  // so that the new copy is not a second instance
        wchar_t path[MAX_PATH] = {};
        bool started = false;
        if (GetModuleFileNameW(nullptr, path, MAX_PATH) != 0) {
            SHELLEXECUTEINFOW execute{};
            execute.cbSize = sizeof execute;
            execute.lpVerb = L"runas";
            execute.lpFile = path;
            execute.lpParameters = L"--enable-autoblock --takeover";
            execute.nShow = SW_SHOWNORMAL;
            started = ShellExecuteExW(&execute) != FALSE;
        }
        if (started) {
            platform::writeOutLine("[羽岚 Quillvarden] 已以管理员身份重新启动，本实例退出。");
            if (mainWindow) PostMessageW(mainWindow, WM_COMMAND, kCommandExit, 0);
        } else {
            platform::writeErrLine("[羽岚 Quillvarden] 未能以管理员身份重新启动（已取消或失败），继续以当前权限运行。");
            // The mutex again, created exactly as at start.
            instanceMutex = CreateMutexW(nullptr, TRUE, L"QuillvardenSingleInstanceMutex_v1");
        }
        CoUninitialize();
    }).detach();
}

}  // namespace quillvarden::win32host
