// The four messages the page's title bar sends to the window, compared exactly.
#pragma once

#include <optional>
#include <string_view>

namespace quillvarden {

enum class WindowAction { Minimize, ToggleMaximize, Close, Drag };

// "win:minimize", "win:maximize", "win:close", "win:drag"; nothing for anything else
// (another letter case included).
std::optional<WindowAction> parseWindowMessage(std::string_view message);

}  // namespace quillvarden
