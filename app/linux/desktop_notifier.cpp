#include "app/linux/desktop_notifier.h"

#include <libnotify/notify.h>

#include <utility>

#include "app/linux/app_icon.h"

namespace quillvarden {
namespace {

struct PendingNotification {
    std::string title;
    std::string text;
};

gboolean showOnMainLoop(gpointer data) {
    auto* pending = static_cast<PendingNotification*>(data);
    const std::string icon = appIconFile();
    NotifyNotification* notification =
        notify_notification_new(pending->title.c_str(), pending->text.c_str(), icon.empty() ? nullptr : icon.c_str());
    notify_notification_set_timeout(notification, 10000);
    notify_notification_set_urgency(notification, NOTIFY_URGENCY_CRITICAL);
    notify_notification_show(notification, nullptr);  // without a notification service: nothing to do
    g_object_unref(notification);
    delete pending;
    return G_SOURCE_REMOVE;
}

}  // namespace

DesktopNotifier::DesktopNotifier() { notify_init("羽岚 Quillvarden"); }

DesktopNotifier::~DesktopNotifier() { notify_uninit(); }

void DesktopNotifier::showBalloon(const std::string& title, const std::string& text) {
    g_idle_add(showOnMainLoop, new PendingNotification{title, text});
}

}  // namespace quillvarden
