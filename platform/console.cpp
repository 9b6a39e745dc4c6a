#include "platform/console.h"

#include <cstdio>
#include <mutex>
#include <string>

namespace quillvarden::platform {
namespace {

std::mutex& consoleMutex() {
    static std::mutex mutex;
    return mutex;
}

ConsoleSink& sink() {
    static ConsoleSink current;
    return current;
}

void writeLine(std::FILE* stream, std::string_view line) {
    std::string text(line);
    text.push_back('\n');
    std::lock_guard<std::mutex> lock(consoleMutex());
    if (sink()) {
        sink()(stream == stderr, line);
        return;
    }
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

}  // namespace

void setConsoleSink(ConsoleSink newSink) {
    std::lock_guard<std::mutex> lock(consoleMutex());
    sink() = std::move(newSink);
}

void writeOutLine(std::string_view line) { writeLine(stdout, line); }
void writeErrLine(std::string_view line) { writeLine(stderr, line); }

}  // namespace quillvarden::platform
