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

void writeLine(std::FILE* stream, std::string_view line) {
    std::string text(line);
    text.push_back('\n');
    std::lock_guard<std::mutex> lock(consoleMutex());
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

}  // namespace

void writeOutLine(std::string_view line) { writeLine(stdout, line); }
void writeErrLine(std::string_view line) { writeLine(stderr, line); }

}  // namespace quillvarden::platform
