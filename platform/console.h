// The program's console lines: informational lines on standard output, failures on
// the error stream, one whole line per write, flushed at once.
#pragma once

#include <functional>
#include <string_view>

namespace quillvarden::platform {

// Makes the console show UTF-8 text; called once at start.
void prepareConsole();

void writeOutLine(std::string_view line);
void writeErrLine(std::string_view line);

// While set, lines go to the sink instead of the console (tests read them there).
using ConsoleSink = std::function<void(bool errorStream, std::string_view line)>;
void setConsoleSink(ConsoleSink sink);

}  // namespace quillvarden::platform
