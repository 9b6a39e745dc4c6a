#include "app/command_line.h"

namespace quillvarden {

CommandLine parseCommandLineText(std::string_view text) {
    CommandLine line;
    // A substring test, as the elevated relaunch passes the switch on its own and a
    // user may have glued it to something else.
    line.enableAutoBlock = text.find("--enable-autoblock") != std::string_view::npos;
    std::size_t at = 0;
    while (at < text.size()) {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
        std::size_t end = at;
        while (end < text.size() && text[end] != ' ' && text[end] != '\t') ++end;
        const std::string_view word = text.substr(at, end - at);
        if (word == "--headless") line.headless = true;
        if (word == "--takeover") line.takeover = true;
        at = end;
    }
    return line;
}

CommandLine parseCommandLine(const std::vector<std::string>& args) {
    CommandLine line;
    for (const std::string& arg : args) {
        if (arg.find("--enable-autoblock") != std::string::npos) line.enableAutoBlock = true;
        if (arg == "--headless") line.headless = true;
        if (arg == "--takeover") line.takeover = true;
    }
    return line;
}

}  // namespace quillvarden
