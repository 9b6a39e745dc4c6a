#include "app/linux/main_window.h"

#include "app/window_layout.h"

namespace quillvarden {
namespace {

constexpr const char* kBridgeName = "quillvarden";

// GdkWindowEdge for each frame zone, -1 for the client area.
int gdkEdge(FrameZone zone) {
    switch (zone) {
        case FrameZone::TopLeft: return GDK_WINDOW_EDGE_NORTH_WEST;
        case FrameZone::TopRight: return GDK_WINDOW_EDGE_NORTH_EAST;
        case FrameZone::BottomLeft: return GDK_WINDOW_EDGE_SOUTH_WEST;
        case FrameZone::BottomRight: return GDK_WINDOW_EDGE_SOUTH_EAST;
        case FrameZone::Left: return GDK_WINDOW_EDGE_WEST;
        case FrameZone::Right: return GDK_WINDOW_EDGE_EAST;
        case FrameZone::Top: return GDK_WINDOW_EDGE_NORTH;
        case FrameZone::Bottom: return GDK_WINDOW_EDGE_SOUTH;
        default: return -1;
    }
}

const char* cursorFor(int edge) {
    switch (edge) {
        case GDK_WINDOW_EDGE_NORTH_WEST: return "nw-resize";
        case GDK_WINDOW_EDGE_NORTH_EAST: return "ne-resize";
        case GDK_WINDOW_EDGE_SOUTH_WEST: return "sw-resize";
        case GDK_WINDOW_EDGE_SOUTH_EAST: return "se-resize";
        case GDK_WINDOW_EDGE_WEST: return "w-resize";
        case GDK_WINDOW_EDGE_EAST: return "e-resize";
        case GDK_WINDOW_EDGE_NORTH: return "n-resize";
        case GDK_WINDOW_EDGE_SOUTH: return "s-resize";
        default: return nullptr;
    }
}

// Where the pointer is now, in root coordinates, for a drag the page asked for.
bool pointerPosition(GtkWidget* widget, int& x, int& y) {
    GdkDisplay* display = gtk_widget_get_display(widget);
    GdkSeat* seat = display ? gdk_display_get_default_seat(display) : nullptr;
    GdkDevice* pointer = seat ? gdk_seat_get_pointer(seat) : nullptr;
    if (!pointer) return false;
    gdk_device_get_position(pointer, nullptr, &x, &y);
    return true;
}

}  // namespace

MainWindow::MainWindow(const std::string& address) {
    window_ = GTK_WINDOW(gtk_window_new(GTK_WINDOW_TOPLEVEL));
    gtk_window_set_title(window_, kMainWindowTitle);
    gtk_window_set_decorated(window_, FALSE);
    gtk_window_set_default_size(window_, kMainWindowWidth, kMainWindowHeight);
    GdkGeometry minimum{};
    minimum.min_width = kMainWindowMinWidth;
    minimum.min_height = kMainWindowMinHeight;
    gtk_window_set_geometry_hints(window_, nullptr, &minimum, GDK_HINT_MIN_SIZE);
    gtk_window_set_icon_name(window_, "quillvarden");

    WebKitUserContentManager* content = webkit_user_content_manager_new();
    webkit_user_content_manager_register_script_message_handler(content, kBridgeName);
    g_signal_connect(content, (std::string("script-message-received::") + kBridgeName).c_str(),
                     G_CALLBACK(onScriptMessage), this);
    webView_ = WEBKIT_WEB_VIEW(webkit_web_view_new_with_user_content_manager(content));
    g_object_unref(content);
    WebKitSettings* settings = webkit_web_view_get_settings(webView_);
    webkit_settings_set_enable_javascript(settings, TRUE);
    webkit_settings_set_enable_developer_extras(settings, FALSE);
    gtk_container_add(GTK_CONTAINER(window_), GTK_WIDGET(webView_));

    // Edges resize: presses near them are taken before the page sees them.
    edgeGesture_ = gtk_gesture_multi_press_new(GTK_WIDGET(window_));
    gtk_event_controller_set_propagation_phase(GTK_EVENT_CONTROLLER(edgeGesture_), GTK_PHASE_CAPTURE);
    gtk_gesture_single_set_button(GTK_GESTURE_SINGLE(edgeGesture_), GDK_BUTTON_PRIMARY);
    g_signal_connect(edgeGesture_, "pressed", G_CALLBACK(onPressed), this);
    gtk_widget_add_events(GTK_WIDGET(window_), GDK_POINTER_MOTION_MASK);
    g_signal_connect(webView_, "motion-notify-event", G_CALLBACK(onMotion), this);
    g_signal_connect(window_, "delete-event", G_CALLBACK(onDelete), this);
    g_signal_connect(window_, "window-state-event", G_CALLBACK(onWindowState), this);

    webkit_web_view_load_uri(webView_, address.c_str());
    gtk_widget_show_all(GTK_WIDGET(window_));
}

MainWindow::~MainWindow() {
    if (edgeGesture_) g_object_unref(edgeGesture_);
    if (window_) gtk_widget_destroy(GTK_WIDGET(window_));
}

void MainWindow::present() {
    gtk_widget_show(GTK_WIDGET(window_));
    gtk_window_deiconify(window_);
    gtk_window_present(window_);
}

void MainWindow::act(WindowAction action) {
    switch (action) {
        case WindowAction::Minimize: gtk_window_iconify(window_); break;
        case WindowAction::ToggleMaximize:
            if (maximized_) {
                gtk_window_unmaximize(window_);
            } else {
                gtk_window_maximize(window_);
            }
            break;
        case WindowAction::Close: gtk_widget_hide(GTK_WIDGET(window_)); break;  // the tray keeps the program
        case WindowAction::Drag: {
            int x = 0;
            int y = 0;
            if (pointerPosition(GTK_WIDGET(window_), x, y)) {
                gtk_window_begin_move_drag(window_, GDK_BUTTON_PRIMARY, x, y, gtk_get_current_event_time());
            }
            break;
        }
    }
}

void MainWindow::onScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer self) {
    JSCValue* value = webkit_javascript_result_get_js_value(result);
    if (!value || !jsc_value_is_string(value)) return;  // only text messages mean anything
    gchar* text = jsc_value_to_string(value);
    if (const auto action = parseWindowMessage(text ? text : "")) static_cast<MainWindow*>(self)->act(*action);
    g_free(text);
}

gboolean MainWindow::onDelete(GtkWidget* widget, GdkEvent*, gpointer) {
    gtk_widget_hide(widget);  // closing hides; "退出" in the tray ends the program
    return TRUE;
}

gboolean MainWindow::onWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self) {
    static_cast<MainWindow*>(self)->maximized_ = (event->new_window_state & GDK_WINDOW_STATE_MAXIMIZED) != 0;
    return FALSE;
}

int MainWindow::edgeAt(double x, double y) const {
    int width = 0;
    int height = 0;
    gtk_window_get_size(window_, &width, &height);
    const int scale = gtk_widget_get_scale_factor(GTK_WIDGET(window_));
    const int border = resizeBorderFor(96 * (scale > 0 ? scale : 1)) / (scale > 0 ? scale : 1);
    return gdkEdge(hitTestFrame({0, 0, width, height}, border, static_cast<int>(x), static_cast<int>(y), maximized_));
}

void MainWindow::onPressed(GtkGestureMultiPress* gesture, gint, gdouble x, gdouble y, gpointer self) {
    auto* window = static_cast<MainWindow*>(self);
    const int edge = window->edgeAt(x, y);
    if (edge < 0) {
        gtk_gesture_set_state(GTK_GESTURE(gesture), GTK_EVENT_SEQUENCE_DENIED);  // the page's click
        return;
    }
    gtk_gesture_set_state(GTK_GESTURE(gesture), GTK_EVENT_SEQUENCE_CLAIMED);
    int rootX = 0;
    int rootY = 0;
    pointerPosition(GTK_WIDGET(window->window_), rootX, rootY);
    gtk_window_begin_resize_drag(window->window_, static_cast<GdkWindowEdge>(edge), GDK_BUTTON_PRIMARY, rootX, rootY,
                                 gtk_get_current_event_time());
}

gboolean MainWindow::onMotion(GtkWidget* widget, GdkEventMotion* event, gpointer self) {
    auto* window = static_cast<MainWindow*>(self);
    const char* name = cursorFor(window->edgeAt(event->x, event->y));
    if (!name) return FALSE;  // the page sets its own cursor
    GdkWindow* gdkWindow = gtk_widget_get_window(widget);
    GdkCursor* cursor = gdk_cursor_new_from_name(gtk_widget_get_display(widget), name);
    gdk_window_set_cursor(gdkWindow, cursor);
    if (cursor) g_object_unref(cursor);
    return FALSE;
}

}  // namespace quillvarden
