#include "platform/console.h"

#include <windows.h>

namespace quillvarden::platform {

void prepareConsole() {
    SetConsoleOutputCP(CP_UTF8);
}

}  // namespace quillvarden::platform
