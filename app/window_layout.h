// The main window's fixed geometry and the hit-testing of its borderless frame,
// shared by both desktop hosts.
#pragma once

namespace quillvarden {

inline constexpr const char* kMainWindowTitle = "羽岚 Quillvarden — 离线杀毒防护";
inline constexpr int kMainWindowWidth = 1280;
inline constexpr int kMainWindowHeight = 800;
inline constexpr int kMainWindowMinWidth = 900;
inline constexpr int kMainWindowMinHeight = 600;

// The resize border: 6 pixels at 96 dpi, scaled to the window's dpi (96 when unknown)
// and rounded to the nearest pixel.
int resizeBorderFor(int dpi);

enum class FrameZone { Client, Left, Right, Top, Bottom, TopLeft, TopRight, BottomLeft, BottomRight };

struct WindowRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Which part of the frame the point (screen coordinates) is on; all client area when
// the window is maximised.
FrameZone hitTestFrame(const WindowRect& window, int border, int x, int y, bool maximized);

}  // namespace quillvarden
