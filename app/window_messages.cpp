#include "app/window_messages.h"

namespace quillvarden {

std::optional<WindowAction> parseWindowMessage(std::string_view message) {
    if (message == "win:minimize") return WindowAction::Minimize;
    if (message == "win:maximize") return WindowAction::ToggleMaximize;
    if (message == "win:close") return WindowAction::Close;
    if (message == "win:drag") return WindowAction::Drag;
    return std::nullopt;
}

}  // namespace quillvarden
