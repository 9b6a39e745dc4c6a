// The program's icon for the window, the tray and notifications.
#pragma once

#include <string>

namespace quillvarden {

inline constexpr const char* kAppIconName = "quillvarden";

// The folder that holds "quillvarden.png" (beside the program, or the source tree's
// icon folder); empty when there is none, and the icon theme's default is used.
std::string appIconThemePath();

// The icon file itself; empty when there is none.
std::string appIconFile();

}  // namespace quillvarden
