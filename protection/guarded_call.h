// Monitors call their handlers on their own threads. A handler that throws must not
// end the thread silently while the monitor still reports running: the failure is
// written to the error stream and the monitor goes on.
#pragma once

#include <exception>
#include <string>

#include "platform/console.h"

namespace quillvarden {

// prefix: the console line's start, such as "[文件监控] 处理文件事件时出错："; subject
// names what was handled when the failure has no message of its own.
template <typename Callback, typename Event>
void callGuarded(const Callback& callback, const Event& event, const char* prefix, const std::string& subject) {
    try {
        callback(event);
    } catch (const std::exception& error) {
        platform::writeErrLine(std::string(prefix) + error.what());
    } catch (...) {
        platform::writeErrLine(std::string(prefix) + subject);
    }
}

}  // namespace quillvarden
