// The program's entry on Linux: the desktop window where there is a display, the
// server alone in the foreground where there is none or "--headless" asks for it.
#include <cstdlib>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/console_runner.h"
#include "app/linux/desktop_host.h"
#include "platform/console.h"
#include "protection/protection_switches.h"

namespace {

bool hasDisplay() {
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace quillvarden;
    platform::prepareConsole();
    const CommandLine line = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
    if (line.enableAutoBlock) autoBlockEnabled.store(true);
    if (line.headless || !hasDisplay()) return runHeadless();
    return runDesktopHost(line);
}
