// Collects the program's console lines while it lives.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "platform/console.h"

namespace quillvarden::test {

class ConsoleCapture {
public:
    struct Line {
        bool errorStream;
        std::string text;
        bool operator==(const Line&) const = default;
    };

    ConsoleCapture() {
        platform::setConsoleSink([this](bool error, std::string_view text) {
            std::lock_guard<std::mutex> lock(mutex_);
            lines_.push_back({error, std::string(text)});
        });
    }
    ~ConsoleCapture() { platform::setConsoleSink(nullptr); }

    std::vector<Line> lines() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return lines_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<Line> lines_;
};

}  // namespace quillvarden::test
