// The desktop program on Linux: one instance, the server, the window, the tray.
#pragma once

#include "app/command_line.h"

namespace quillvarden {

// Exit status; falls back to the headless server when no display can be opened.
int runDesktopHost(const CommandLine& line);

}  // namespace quillvarden
