// Records what the protections send: events for the stream and notifications.
#pragma once

#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "protection/event_sink.h"
#include "protection/host_hooks.h"

namespace quillvarden::test {

class RecordingSink {
public:
    EventSink sink() {
        return [this](const std::string& event, const std::string& data) {
            std::lock_guard<std::mutex> lock(mutex_);
            events_.emplace_back(event, data);
        };
    }
    std::vector<std::pair<std::string, std::string>> events() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return events_;
    }
    std::vector<std::string> named(const std::string& name) const {
        std::vector<std::string> data;
        for (const auto& [event, text] : events()) {
            if (event == name) data.push_back(text);
        }
        return data;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::pair<std::string, std::string>> events_;
};

class RecordingNotifier : public INotifier {
public:
    void showBalloon(const std::string& title, const std::string& text) override {
        std::lock_guard<std::mutex> lock(mutex_);
        balloons_.emplace_back(title, text);
    }
    std::vector<std::pair<std::string, std::string>> balloons() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return balloons_;
    }

private:
    mutable std::mutex mutex_;
    std::vector<std::pair<std::string, std::string>> balloons_;
};

}  // namespace quillvarden::test
