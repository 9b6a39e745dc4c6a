// Lets the user stop a program that runs in the foreground of a console
// (Ctrl+C, SIGINT, SIGTERM, closing the console).
#pragma once

#include <functional>

namespace quillvarden::platform {

// Installs the handler once; onStop runs on a thread of its own, at most once.
void installStopHandler(std::function<void()> onStop);

}  // namespace quillvarden::platform
