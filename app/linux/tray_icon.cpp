#include "app/linux/tray_icon.h"

#include <libayatana-appindicator/app-indicator.h>

#include "app/linux/app_icon.h"

namespace quillvarden {

TrayIcon::TrayIcon(std::function<void()> onOpen, std::function<void()> onExit)
    : onOpen_(std::move(onOpen)), onExit_(std::move(onExit)) {
    menu_ = gtk_menu_new();
    g_object_ref_sink(menu_);
    GtkWidget* open = gtk_menu_item_new_with_label("打开主界面");
    GtkWidget* exit = gtk_menu_item_new_with_label("退出");
    g_signal_connect(open, "activate", G_CALLBACK(onOpenActivated), this);
    g_signal_connect(exit, "activate", G_CALLBACK(onExitActivated), this);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu_), open);
    gtk_menu_shell_append(GTK_MENU_SHELL(menu_), gtk_separator_menu_item_new());
    gtk_menu_shell_append(GTK_MENU_SHELL(menu_), exit);
    gtk_widget_show_all(menu_);

    AppIndicator* indicator = app_indicator_new("quillvarden", kAppIconName, APP_INDICATOR_CATEGORY_APPLICATION_STATUS);
    const std::string themePath = appIconThemePath();
    if (!themePath.empty()) app_indicator_set_icon_theme_path(indicator, themePath.c_str());
    app_indicator_set_title(indicator, "羽岚 Quillvarden — 离线杀毒防护");
    app_indicator_set_status(indicator, APP_INDICATOR_STATUS_ACTIVE);
    app_indicator_set_menu(indicator, GTK_MENU(menu_));
    indicator_ = G_OBJECT(indicator);
}

TrayIcon::~TrayIcon() {
    if (indicator_) {
        app_indicator_set_status(APP_INDICATOR(indicator_), APP_INDICATOR_STATUS_PASSIVE);
        g_object_unref(indicator_);
    }
    if (menu_) g_object_unref(menu_);
}

void TrayIcon::onOpenActivated(GtkMenuItem*, gpointer self) {
    auto* tray = static_cast<TrayIcon*>(self);
    if (tray->onOpen_) tray->onOpen_();
}

void TrayIcon::onExitActivated(GtkMenuItem*, gpointer self) {
    auto* tray = static_cast<TrayIcon*>(self);
    if (tray->onExit_) tray->onExit_();
}

}  // namespace quillvarden
