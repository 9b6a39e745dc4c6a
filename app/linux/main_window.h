// The borderless main window showing the web interface in WebKitGTK. The page draws
// its own title bar and asks the window to minimise, maximise, hide or move through
// a script message handler; the window keeps its edges resizable.
#pragma once

#include <string>

#include <gtk/gtk.h>
#include <webkit2/webkit2.h>

#include "app/window_messages.h"

namespace quillvarden {

class MainWindow {
public:
    // address: the page, with the API token in its fragment.
    explicit MainWindow(const std::string& address);
    ~MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    void present();  // shows, restores and raises it
    void act(WindowAction action);
    GtkWindow* window() const { return window_; }

private:
    static void onScriptMessage(WebKitUserContentManager*, WebKitJavascriptResult* result, gpointer self);
    static gboolean onDelete(GtkWidget*, GdkEvent*, gpointer self);
    static void onPressed(GtkGestureMultiPress* gesture, gint presses, gdouble x, gdouble y, gpointer self);
    static gboolean onMotion(GtkWidget*, GdkEventMotion* event, gpointer self);
    static gboolean onWindowState(GtkWidget*, GdkEventWindowState* event, gpointer self);

    // The frame zone under a point in window coordinates.
    int edgeAt(double x, double y) const;

    GtkWindow* window_ = nullptr;
    WebKitWebView* webView_ = nullptr;
    GtkGesture* edgeGesture_ = nullptr;
    bool maximized_ = false;
};

}  // namespace quillvarden
