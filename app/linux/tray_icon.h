// The tray entry (an application indicator): "打开主界面" shows the window, "退出"
// ends the program.
#pragma once

#include <functional>

#include <gtk/gtk.h>

namespace quillvarden {

class TrayIcon {
public:
    TrayIcon(std::function<void()> onOpen, std::function<void()> onExit);
    ~TrayIcon();
    TrayIcon(const TrayIcon&) = delete;
    TrayIcon& operator=(const TrayIcon&) = delete;

private:
    static void onOpenActivated(GtkMenuItem*, gpointer self);
    static void onExitActivated(GtkMenuItem*, gpointer self);

    std::function<void()> onOpen_;
    std::function<void()> onExit_;
    GtkWidget* menu_ = nullptr;
    GObject* indicator_ = nullptr;
};

}  // namespace quillvarden
