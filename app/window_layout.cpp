#include "app/window_layout.h"

#include <cstdint>

namespace quillvarden {

int resizeBorderFor(int dpi) {
    if (dpi <= 0) dpi = 96;
    // MulDiv(6, dpi, 96): the product over 96, rounded half away from zero.
    const std::int64_t product = static_cast<std::int64_t>(6) * dpi;
    return static_cast<int>((product + 48) / 96);
}

FrameZone hitTestFrame(const WindowRect& window, int border, int x, int y, bool maximized) {
    if (maximized) return FrameZone::Client;
    const bool top = y < window.top + border;
    const bool bottom = y >= window.bottom - border;
    const bool left = x < window.left + border;
    const bool right = x >= window.right - border;
    if (top && left) return FrameZone::TopLeft;
    if (top && right) return FrameZone::TopRight;
    if (bottom && left) return FrameZone::BottomLeft;
    if (bottom && right) return FrameZone::BottomRight;
    if (left) return FrameZone::Left;
    if (right) return FrameZone::Right;
    if (top) return FrameZone::Top;
    if (bottom) return FrameZone::Bottom;
    return FrameZone::Client;
}

}  // namespace quillvarden
