#include "tests/support/event_stream_reader.h"

namespace quillvarden::test {

EventStreamReader::EventStreamReader(int port, const std::string& token, httplib::Headers extraHeaders,
                                     std::chrono::seconds readTimeout)
    : client_(std::make_unique<httplib::Client>("127.0.0.1", port)) {
    client_->set_read_timeout(readTimeout.count());
    const std::string path = token.empty() ? "/ws" : "/ws?token=" + token;
    thread_ = std::thread([this, path, extraHeaders] {
        client_->Get(
            path, extraHeaders,
            [this](const httplib::Response& response) {
                std::lock_guard<std::mutex> lock(mutex_);
                headers_ = response.headers;
                status_.store(response.status);
                cv_.notify_all();
                return !stop_.load();
            },
            [this](const char* data, std::size_t length) {
                std::lock_guard<std::mutex> lock(mutex_);
                text_.append(data, length);
                cv_.notify_all();
                return !stop_.load();
            });
        ended_.store(true);
        cv_.notify_all();
    });
}

EventStreamReader::~EventStreamReader() { close(); }

void EventStreamReader::close() {
    stop_.store(true);
    client_->stop();
    if (thread_.joinable()) thread_.join();
}

bool EventStreamReader::waitFor(const std::function<bool(const std::string&)>& predicate,
                                std::chrono::milliseconds timeout) {
    std::unique_lock<std::mutex> lock(mutex_);
    return cv_.wait_for(lock, timeout, [&] { return predicate(text_); });
}

bool EventStreamReader::waitForText(const std::string& needle, std::chrono::milliseconds timeout) {
    return waitFor([&](const std::string& text) { return text.find(needle) != std::string::npos; },
                   timeout);
}

std::string EventStreamReader::text() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return text_;
}

std::string EventStreamReader::eventsText() const {
    std::string text = this->text();
    const std::string keepAlive = ": keep-alive\n\n";
    for (auto at = text.find(keepAlive); at != std::string::npos; at = text.find(keepAlive, at)) {
        text.erase(at, keepAlive.size());
    }
    return text;
}

httplib::Headers EventStreamReader::headers() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return headers_;
}

}  // namespace quillvarden::test
