// Reads a server's event stream (GET /ws) on a thread of its own.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include <httplib.h>

#include "tests/support/sse_frames.h"

namespace quillvarden::test {

// Reads GET /ws on a thread of its own and keeps everything that arrives. Under Wine a
// blocked read does not wake when the socket is shut down from another thread, so
// the reader only notices close() at the next frame: serve it with a short keep-alive.
class EventStreamReader {
public:
    // token: the server's API token, sent as the page's EventSource sends it (in the
    // query); empty sends none.
    EventStreamReader(int port, const std::string& token, httplib::Headers extraHeaders = {},
                      std::chrono::seconds readTimeout = std::chrono::seconds(10));
    ~EventStreamReader();

    // Waits until the received text satisfies the predicate; false on time-out.
    bool waitFor(const std::function<bool(const std::string&)>& predicate,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10));
    bool waitForText(const std::string& needle,
                     std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // The response headers have arrived (the server registers a stream before it
    // answers, so events broadcast from now on reach it).
    bool waitUntilConnected(std::chrono::milliseconds timeout = std::chrono::seconds(30)) {
        return waitFor([this](const std::string&) { return status_.load() != 0; }, timeout);
    }
    std::string text() const;
    // The events received so far, keep-alives left out.
    std::vector<SseEvent> events() const { return parseSseEvents(text()); }
    bool waitForEvent(const std::string& name, std::chrono::milliseconds timeout = std::chrono::seconds(60)) {
        return waitForText("event: " + name + "\n", timeout);
    }
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
