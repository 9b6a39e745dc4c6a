#include "server/sse_hub.h"

namespace quillvarden {

std::string sseFrame(std::string_view event, std::string_view data) {
    std::string frame;
    frame.reserve(event.size() + data.size() + 16);
    frame.append("event: ").append(event).append("\n").append("data: ");
    for (const char c : data) frame.push_back(c == '\n' || c == '\r' ? ' ' : c);
    frame.append("\n\n");
    return frame;
}

SseHub::SseHub(SseHubLimits limits) : limits_(limits) {}

void SseHub::broadcast(std::string_view event, std::string_view data) {
    const std::string frame = sseFrame(event, data);
    std::lock_guard<std::mutex> hubLock(mutex_);
    for (const auto& client : clients_) {
        {
            std::lock_guard<std::mutex> clientLock(client->mutex);
            if (client->closed) continue;
            if (client->queue.size() >= limits_.maxQueuedFrames) {
                // It has stopped reading: end its stream rather than grow without bound.
                client->closed = true;
                client->queue.clear();
            } else {
                client->queue.push_back(frame);
            }
        }
        client->cv.notify_one();
    }
}

std::size_t SseHub::clientCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return clients_.size();
}

std::shared_ptr<SseClient> SseHub::connect() {
    auto client = std::make_shared<SseClient>();
    std::lock_guard<std::mutex> lock(mutex_);
    if (clients_.size() >= limits_.maxClients) return nullptr;
    clients_.insert(client);
    return client;
}

void SseHub::release(const std::shared_ptr<SseClient>& client) {
    {
        std::lock_guard<std::mutex> lock(client->mutex);
        client->closed = true;
    }
    client->cv.notify_all();
    std::lock_guard<std::mutex> lock(mutex_);
    clients_.erase(client);
}

bool SseHub::nextFrame(SseClient& client, std::string& frame) const {
    std::unique_lock<std::mutex> lock(client.mutex);
    const auto deadline = std::chrono::steady_clock::now() + limits_.keepAliveInterval;
    client.cv.wait_until(lock, deadline, [&] { return !client.queue.empty() || client.closed; });
    if (!client.queue.empty()) {
        frame = std::move(client.queue.front());
        client.queue.pop_front();
        return true;
    }
    if (client.closed) return false;
    frame.assign(kSseKeepAliveFrame);
    return true;
}

void SseHub::closeAll() {
    std::lock_guard<std::mutex> hubLock(mutex_);
    for (const auto& client : clients_) {
        {
            std::lock_guard<std::mutex> clientLock(client->mutex);
            client->closed = true;
        }
        client->cv.notify_all();
    }
}

}  // namespace quillvarden
