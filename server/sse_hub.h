// The event stream's fan-out: every broadcast is framed once and queued for each
// connected client; each client's HTTP worker writes its own queue out.
// Lock order: the hub's lock, then a client's lock, never the reverse.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <unordered_set>

namespace quillvarden {

struct SseClient {
    std::deque<std::string> queue;  // framed events, oldest first
    std::mutex mutex;               // guards queue and closed
    std::condition_variable cv;
    bool closed = false;
};

// "event: <name>\ndata: <data with CR and LF turned into spaces>\n\n"
std::string sseFrame(std::string_view event, std::string_view data);

inline constexpr std::string_view kSseKeepAliveFrame = ": keep-alive\n\n";

struct SseHubLimits {
    // Quiet time after which a keep-alive comment is written.
    std::chrono::milliseconds keepAliveInterval{15000};
    // A client that stops reading is closed when its queue passes this many frames,
    // instead of letting it grow without bound. A reading client never gets near it.
    std::size_t maxQueuedFrames = 10000;
    // Each open stream holds one HTTP worker; the cap keeps workers free for the API.
    std::size_t maxClients = 24;
};

class SseHub {
public:
    explicit SseHub(SseHubLimits limits = {});

    // Callable from any thread; never fails toward the caller.
    void broadcast(std::string_view event, std::string_view data);
    std::size_t clientCount() const;

    // A new open client, or null when maxClients streams are open already.
    std::shared_ptr<SseClient> connect();
    // The stream has ended: close the client and forget it.
    void release(const std::shared_ptr<SseClient>& client);

    // Waits up to the keep-alive interval and gives the next frame to write: the
    // oldest queued event, else the keep-alive frame. False once the client is closed
    // and has nothing left, which ends its stream.
    bool nextFrame(SseClient& client, std::string& frame) const;

    // Closes every client so that their streams end now (used when stopping).
    void closeAll();

    const SseHubLimits& limits() const { return limits_; }

private:
    SseHubLimits limits_;
    std::unordered_set<std::shared_ptr<SseClient>> clients_;
    mutable std::mutex mutex_;
};

}  // namespace quillvarden
