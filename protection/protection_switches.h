// The protection switches, read at every use and changed by the control routes.
#pragma once

#include <atomic>

namespace quillvarden {

// Autostart protection; on at start.
extern std::atomic<bool> protectionEnabled;
// Execution protection; on at start.
extern std::atomic<bool> execProtectionEnabled;
// Automatic blocking of high-risk autostart entries; off unless the program was
// started with "--enable-autoblock".
extern std::atomic<bool> autoBlockEnabled;

}  // namespace quillvarden
