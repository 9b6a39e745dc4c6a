// Splits received event-stream text into its events (keep-alives dropped).
#pragma once

#include <string>
#include <vector>

namespace quillvarden::test {

struct SseEvent {
    std::string name;
    std::string data;
    bool operator==(const SseEvent&) const = default;
};

inline std::vector<SseEvent> parseSseEvents(const std::string& text) {
    std::vector<SseEvent> events;
    std::size_t at = 0;
    for (;;) {
        const auto end = text.find("\n\n", at);
        if (end == std::string::npos) break;
        const std::string frame = text.substr(at, end - at);
        at = end + 2;
        if (frame.rfind("event: ", 0) != 0) continue;
        const auto newline = frame.find('\n');
        SseEvent event{frame.substr(7, newline - 7), ""};
        if (newline != std::string::npos && frame.compare(newline + 1, 6, "data: ") == 0) {
            event.data = frame.substr(newline + 7);
        }
        events.push_back(event);
    }
    return events;
}

inline std::vector<std::string> eventNames(const std::vector<SseEvent>& events) {
    std::vector<std::string> names;
    for (const auto& e : events) names.push_back(e.name);
    return names;
}

}  // namespace quillvarden::test
