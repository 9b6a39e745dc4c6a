// The program's entry on Windows: one instance, the server on a thread of its own,
// the borderless window with the embedded browser, the tray icon; or, with
// "--headless", the server alone in the foreground of a console.
#include <windows.h>
#include <objbase.h>

#include <memory>
#include <string>

#include "app/command_line.h"
#include "app/console_runner.h"
#include "app/server_thread.h"
#include "app/win32/elevated_relaunch_win.h"
#include "app/win32/main_window.h"
#include "app/win32/single_instance_win.h"
#include "app/win32/tray_icon.h"
#include "app/win32/web_view_host.h"
#include "platform/console.h"
#include "platform/win32/wide_string.h"
#include "protection/host_hooks.h"
#include "protection/protection_switches.h"
#include "server/api_token.h"

using namespace quillvarden;
using namespace quillvarden::win32host;

namespace {

// A program of the windows subsystem has no console. Started from one, it writes to
// it (lines redirected to files or pipes reach them without this). Headless, it needs
// a console of its own besides, so that Ctrl+C (and Wine's SIGINT) reach its handler.
void attachConsole(bool headless) {
    const DWORD type = GetFileType(GetStdHandle(STD_OUTPUT_HANDLE));
    const bool redirected = type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR;
    if (AttachConsole(ATTACH_PARENT_PROCESS) || (headless && AllocConsole())) {
        if (redirected) return;
        FILE* ignored = nullptr;
        freopen_s(&ignored, "CONOUT$", "w", stdout);
        freopen_s(&ignored, "CONOUT$", "w", stderr);
    }
}

void showStartupError(const std::string& text) {
    MessageBoxW(nullptr, platform::win32::widen(text).c_str(), L"羽岚 Quillvarden", MB_OK | MB_ICONERROR);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR commandLine, int showCommand) {
    const CommandLine line = parseCommandLineText(commandLine ? platform::win32::narrow(commandLine) : std::string());
    attachConsole(line.headless);
    platform::prepareConsole();
    if (line.enableAutoBlock) autoBlockEnabled.store(true);
    if (line.headless) return runHeadless();
    SetConsoleCtrlHandler(nullptr, TRUE);  // a Ctrl+C in the console it was started from does not end the window

    if (!claimSingleInstance()) return 0;  // the first one shows its window
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);

    ServerThread server;
    ServeOptions options;
    options.announceTokenAddress = false;  // the window carries the token
    if (line.takeover) options.bindPatience = std::chrono::seconds(20);
    if (!server.start(options)) {
        reportPortTaken();
        showStartupError("无法启动本地服务：127.0.0.1:" + std::to_string(kListenPort) +
                         " 已被其他程序占用或无权绑定。请关闭占用该端口的程序后重新启动羽岚。");
        CoUninitialize();
        releaseSingleInstance();
        return 1;
    }

    HWND window = createMainWindow(instance);
    if (!window) {
        server.stop();
        CoUninitialize();
        releaseSingleInstance();
        return 1;
    }
    addTrayIcon(window, instance);
    installNotifier(std::make_shared<TrayNotifier>());
    installElevatedRelaunch(startElevatedRelaunch);
    startWebView(window, platform::win32::widen(pageAddressWithToken(kListenHost, kListenPort, processApiToken())));
    ShowWindow(window, showCommand);
    UpdateWindow(window);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }

    installElevatedRelaunch(nullptr);
    installNotifier(nullptr);
    server.stop();  // frees the port and removes the token file
    CoUninitialize();
    releaseSingleInstance();
    platform::writeOutLine("[羽岚 Quillvarden] 服务已停止。");
    return static_cast<int>(message.wParam);
}
