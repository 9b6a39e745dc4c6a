#include "app/linux/desktop_host.h"

#include <glib-unix.h>
#include <gtk/gtk.h>
#include <signal.h>

#include <memory>
#include <string>

#include "app/console_runner.h"
#include "app/linux/desktop_notifier.h"
#include "app/linux/elevated_relaunch.h"
#include "app/linux/main_window.h"
#include "app/linux/single_instance.h"
#include "app/linux/tray_icon.h"
#include "app/server_thread.h"
#include "platform/console.h"
#include "protection/host_hooks.h"
#include "server/api_token.h"

namespace quillvarden {
namespace {

MainWindow* shownWindow = nullptr;  // main thread only

gboolean presentWindow(gpointer) {
    if (shownWindow) shownWindow->present();
    return G_SOURCE_REMOVE;
}

gboolean quitMainLoop(gpointer) {
    gtk_main_quit();
    return G_SOURCE_REMOVE;
}

void showStartupError(const std::string& text) {
    GtkWidget* dialog =
        gtk_message_dialog_new(nullptr, GTK_DIALOG_MODAL, GTK_MESSAGE_ERROR, GTK_BUTTONS_CLOSE, "%s", text.c_str());
    gtk_window_set_title(GTK_WINDOW(dialog), "羽岚 Quillvarden");
    gtk_dialog_run(GTK_DIALOG(dialog));
    gtk_widget_destroy(dialog);
}

}  // namespace

int runDesktopHost(const CommandLine& line) {
    if (!gtk_init_check(nullptr, nullptr)) return runHeadless();  // no display after all

    // Shared with the relaunch thread, which may outlive this function.
    auto instance = std::make_shared<SingleInstance>();
    const auto askToShow = [] { g_idle_add(presentWindow, nullptr); };
    switch (instance->claim(askToShow)) {
        case SingleInstance::Claim::First: break;
        case SingleInstance::Claim::OtherAnswered: return 0;
        case SingleInstance::Claim::OtherSilent:
            platform::writeErrLine(
                "[羽岚 Quillvarden] 已有一个羽岚实例在运行，但它没有响应。请稍后再试，或结束那个进程后重新启动。");
            return 3;
    }

    ServerThread server;
    ServeOptions options;
    options.announceTokenAddress = false;  // the window carries the token
    if (line.takeover) options.bindPatience = std::chrono::seconds(20);
    if (!server.start(options)) {
        reportPortTaken();
        showStartupError("无法启动本地服务：127.0.0.1:" + std::to_string(kListenPort) +
                         " 已被其他程序占用或无权绑定。请关闭占用该端口的程序后重新启动羽岚。");
        return 1;
    }

    auto window = std::make_unique<MainWindow>(pageAddressWithToken(kListenHost, kListenPort, processApiToken()));
    shownWindow = window.get();
    TrayIcon tray([] { presentWindow(nullptr); }, [] { gtk_main_quit(); });
    installNotifier(std::make_shared<DesktopNotifier>());
    installElevatedRelaunch([instance, askToShow] {
        startElevatedRelaunch(
            instance, [] { g_idle_add(quitMainLoop, nullptr); }, askToShow);
    });
    g_unix_signal_add(SIGINT, quitMainLoop, nullptr);
    g_unix_signal_add(SIGTERM, quitMainLoop, nullptr);

    gtk_main();

    installElevatedRelaunch(nullptr);
    installNotifier(nullptr);
    shownWindow = nullptr;
    window.reset();
    server.stop();  // frees the port and removes the token file
    instance->release();
    platform::writeOutLine("[羽岚 Quillvarden] 服务已停止。");
    return 0;
}

}  // namespace quillvarden
