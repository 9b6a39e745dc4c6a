// The desktop services a Linux session offers the program, faked for its tests on a
// private session bus: a notification server (org.freedesktop.Notifications) and a
// status-notifier watcher (org.kde.StatusNotifierWatcher), where the tray icon
// registers. Everything they receive is written, one line each, to the log file.
//   fake_desktop_services LOGFILE
#include <gio/gio.h>

#include <cstdio>
#include <string>

namespace {

FILE* logFile = nullptr;

void logLine(const std::string& line) {
    std::fprintf(logFile, "%s\n", line.c_str());
    std::fflush(logFile);
}

constexpr const char* kNotificationsXml = R"(
<node>
  <interface name="org.freedesktop.Notifications">
    <method name="GetCapabilities"><arg type="as" direction="out"/></method>
    <method name="Notify">
      <arg type="s" direction="in"/><arg type="u" direction="in"/><arg type="s" direction="in"/>
      <arg type="s" direction="in"/><arg type="s" direction="in"/><arg type="as" direction="in"/>
      <arg type="a{sv}" direction="in"/><arg type="i" direction="in"/><arg type="u" direction="out"/>
    </method>
    <method name="CloseNotification"><arg type="u" direction="in"/></method>
    <method name="GetServerInformation">
      <arg type="s" direction="out"/><arg type="s" direction="out"/><arg type="s" direction="out"/>
      <arg type="s" direction="out"/>
    </method>
  </interface>
  <interface name="org.kde.StatusNotifierWatcher">
    <method name="RegisterStatusNotifierItem"><arg type="s" direction="in"/></method>
    <method name="RegisterStatusNotifierHost"><arg type="s" direction="in"/></method>
    <property name="RegisteredStatusNotifierItems" type="as" access="read"/>
    <property name="IsStatusNotifierHostRegistered" type="b" access="read"/>
    <property name="ProtocolVersion" type="i" access="read"/>
  </interface>
</node>)";

guint notificationId = 0;

void onCall(GDBusConnection*, const gchar* sender, const gchar*, const gchar*, const gchar* method,
            GVariant* parameters, GDBusMethodInvocation* invocation, gpointer) {
    const std::string name = method;
    if (name == "GetCapabilities") {
        const gchar* capabilities[] = {"body", nullptr};
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(^as)", capabilities));
    } else if (name == "Notify") {
        const gchar* summary = nullptr;
        const gchar* body = nullptr;
        g_variant_get_child(parameters, 3, "&s", &summary);
        g_variant_get_child(parameters, 4, "&s", &body);
        std::string oneLineBody = body ? body : "";
        for (char& c : oneLineBody) c = c == '\n' ? '|' : c;
        logLine(std::string("notify\t") + (summary ? summary : "") + "\t" + oneLineBody);
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(u)", ++notificationId));
    } else if (name == "GetServerInformation") {
        g_dbus_method_invocation_return_value(invocation, g_variant_new("(ssss)", "fake", "tests", "1", "1.2"));
    } else if (name == "RegisterStatusNotifierItem") {
        const gchar* item = nullptr;
        g_variant_get(parameters, "(&s)", &item);
        // An item names either its bus name or its object path; the sender says the rest.
        const std::string given = item ? item : "";
        const bool isPath = !given.empty() && given[0] == '/';
        logLine(std::string("item\t") + (isPath ? sender : given) + "\t" + (isPath ? given : "/StatusNotifierItem"));
        g_dbus_method_invocation_return_value(invocation, nullptr);
    } else {
        g_dbus_method_invocation_return_value(invocation, nullptr);
    }
}

GVariant* onGetProperty(GDBusConnection*, const gchar*, const gchar*, const gchar*, const gchar* property, GError**,
                        gpointer) {
    const std::string name = property;
    if (name == "IsStatusNotifierHostRegistered") return g_variant_new_boolean(TRUE);
    if (name == "ProtocolVersion") return g_variant_new_int32(0);
    return g_variant_new_strv(nullptr, 0);
}

const GDBusInterfaceVTable kVTable = {onCall, onGetProperty, nullptr, {}};

void onBus(GDBusConnection* connection, const gchar*, gpointer data) {
    static bool registered = false;  // both names share one connection and its objects
    if (registered) return;
    registered = true;
    auto* info = static_cast<GDBusNodeInfo*>(data);
    for (GDBusInterfaceInfo** interface = info->interfaces; *interface; ++interface) {
        const char* path = std::string((*interface)->name) == "org.freedesktop.Notifications"
                               ? "/org/freedesktop/Notifications"
                               : "/StatusNotifierWatcher";
        g_dbus_connection_register_object(connection, path, *interface, &kVTable, nullptr, nullptr, nullptr);
    }
}

void onName(GDBusConnection*, const gchar* name, gpointer) { logLine(std::string("owned\t") + name); }

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    logFile = std::fopen(argv[1], "a");
    if (!logFile) return 2;
    GDBusNodeInfo* info = g_dbus_node_info_new_for_xml(kNotificationsXml, nullptr);
    for (const char* name : {"org.freedesktop.Notifications", "org.kde.StatusNotifierWatcher"}) {
        g_bus_own_name(G_BUS_TYPE_SESSION, name, G_BUS_NAME_OWNER_FLAGS_NONE, onBus, onName, nullptr, info, nullptr);
    }
    GMainLoop* loop = g_main_loop_new(nullptr, FALSE);
    g_main_loop_run(loop);
    return 0;
}
