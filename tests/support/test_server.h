// A real server with the program's configuration on a free loopback port, and a
// reader for its event stream.
#pragma once

#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include <httplib.h>

#include "server/app_services.h"
#include "server/cross_origin.h"

namespace quillvarden::test {

class TestServer {
public:
    explicit TestServer(SseHubLimits limits = {});
    ~TestServer();

    int port() const { return port_; }
    AppServices& services() { return *services_; }
    // A client whose Host header names this server, as the program's own page would.
    std::unique_ptr<httplib::Client> client() const;

private:
    std::unique_ptr<AppServices> services_;
    OriginPolicy policy_;
    httplib::Server server_;
    std::thread thread_;
    int port_ = -1;
};

// Reads GET /ws on a thread of its own and keeps everything that arrives. Under Wine a
// blocked read does not wake when the socket is shut down from another thread, so
// the reader only notices close() at the next frame: serve it with a short keep-alive.
class EventStreamReader {
public:
    EventStreamReader(int port, httplib::Headers extraHeaders = {});
    ~EventStreamReader();

    // Waits until the received text satisfies the predicate; false on time-out.
    bool waitFor(const std::function<bool(const std::string&)>& predicate,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10));
    bool waitForText(const std::string& needle,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10));
    std::string text() const;
    // The received text without keep-alive frames.
    std::string eventsText() const;
    int status() const { return status_.load(); }
    httplib::Headers headers() const;
    bool ended() const { return ended_.load(); }
    // Hangs up the connection.
    void close();

private:
    std::unique_ptr<httplib::Client> client_;
    std::thread thread_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::string text_;
    httplib::Headers headers_;
    std::atomic<int> status_{0};
    std::atomic<bool> stop_{false};
    std::atomic<bool> ended_{false};
};

}  // namespace quillvarden::test
