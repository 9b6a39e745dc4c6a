#include "tests/support/test_server.h"

#include <chrono>
#include <stdexcept>

#include "server/http_server.h"

namespace quillvarden::test {

TestServer::TestServer(SseHubLimits limits)
    : services_(std::make_unique<AppServices>(limits)), policy_(0) {
    configureServer(server_, *services_, policy_);
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("cannot bind a test port");
    policy_.setPort(port_);
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TestServer::~TestServer() {
    services_->hub.closeAll();
    server_.stop();
    thread_.join();
}

std::unique_ptr<httplib::Client> TestServer::client() const {
    auto client = std::make_unique<httplib::Client>("127.0.0.1", port_);
    client->set_connection_timeout(5);
    client->set_read_timeout(20);
    return client;
}

EventStreamReader::EventStreamReader(int port, httplib::Headers extraHeaders)
    : client_(std::make_unique<httplib::Client>("127.0.0.1", port)) {
    client_->set_read_timeout(10);
    thread_ = std::thread([this, extraHeaders] {
        client_->Get(
            "/ws", extraHeaders,
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
