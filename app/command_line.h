// What the command line asks of the program.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillvarden {

struct CommandLine {
    bool enableAutoBlock = false;  // "--enable-autoblock" anywhere, even inside a longer argument
    bool headless = false;         // "--headless": the server alone, in the foreground
    bool takeover = false;         // "--takeover": an elevated relaunch waits for the old copy's port
};

// From the arguments after the program name, as UTF-8.
CommandLine parseCommandLine(const std::vector<std::string>& args);

// From the whole argument text (wWinMain's command line, without the program name).
CommandLine parseCommandLineText(std::string_view text);

}  // namespace quillvarden
