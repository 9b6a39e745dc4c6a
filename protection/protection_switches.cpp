#include "protection/protection_switches.h"

namespace quillvarden {

std::atomic<bool> protectionEnabled{true};
std::atomic<bool> execProtectionEnabled{true};
std::atomic<bool> autoBlockEnabled{false};

}  // namespace quillvarden
