#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "server/sse_hub.h"

namespace quillvarden {
namespace {

using namespace std::chrono_literals;

TEST(SseFrame, PutsDataOnOneLine) {
    struct Case {
        const char *event, *data, *frame;
    };
    const Case cases[] = {
        {"scan_done", R"({"status":"done"})", "event: scan_done\ndata: {\"status\":\"done\"}\n\n"},
        {"threat", "a\nb", "event: threat\ndata: a b\n\n"},
        {"threat", "a\rb", "event: threat\ndata: a b\n\n"},
        {"threat", "a\r\nb\n", "event: threat\ndata: a  b \n\n"},
        {"progress", "", "event: progress\ndata: \n\n"},
    };
    for (const Case& c : cases) EXPECT_EQ(sseFrame(c.event, c.data), c.frame) << c.data;
}

std::vector<std::string> drain(const SseHub& hub, SseClient& client, std::size_t count) {
    std::vector<std::string> frames;
    std::string frame;
    while (frames.size() < count && hub.nextFrame(client, frame)) frames.push_back(frame);
    return frames;
}

TEST(SseHub, EveryClientGetsEveryEventInBroadcastOrder) {
    SseHub hub;
    hub.broadcast("progress", "before");  // nobody connected: lost
    auto first = hub.connect();
    auto second = hub.connect();
    ASSERT_TRUE(first && second);
    EXPECT_EQ(hub.clientCount(), 2u);
    for (int i = 0; i < 50; ++i) hub.broadcast("progress", std::to_string(i));

    for (auto* client : {first.get(), second.get()}) {
        const auto frames = drain(hub, *client, 50);
        ASSERT_EQ(frames.size(), 50u);
        for (int i = 0; i < 50; ++i) EXPECT_EQ(frames[i], sseFrame("progress", std::to_string(i)));
    }
}

TEST(SseHub, KeepAliveWhenQuiet) {
    SseHub hub(SseHubLimits{50ms});
    auto client = hub.connect();
    std::string frame;
    ASSERT_TRUE(hub.nextFrame(*client, frame));
    EXPECT_EQ(frame, ": keep-alive\n\n");
    hub.broadcast("scan_done", "{}");
    ASSERT_TRUE(hub.nextFrame(*client, frame));
    EXPECT_EQ(frame, sseFrame("scan_done", "{}"));
}

TEST(SseHub, WaitingWriterWakesOnBroadcast) {
    SseHub hub(SseHubLimits{std::chrono::hours(1)});
    auto client = hub.connect();
    std::string frame;
    std::thread writer([&] { hub.nextFrame(*client, frame); });
    std::this_thread::sleep_for(20ms);
    hub.broadcast("deleted", "x");
    writer.join();
    EXPECT_EQ(frame, sseFrame("deleted", "x"));
}

TEST(SseHub, ReleasedClientIsRemovedAndSkipped) {
    SseHub hub;
    auto client = hub.connect();
    hub.release(client);
    EXPECT_EQ(hub.clientCount(), 0u);
    hub.broadcast("threat", "{}");
    EXPECT_TRUE(client->queue.empty());
    std::string frame;
    EXPECT_FALSE(hub.nextFrame(*client, frame));
}

TEST(SseHub, StalledClientIsClosedAtTheCapWhileAReaderLosesNothing) {
    SseHubLimits limits;
    limits.maxQueuedFrames = 100;
    SseHub hub(limits);
    auto stalled = hub.connect();
    auto reader = hub.connect();
    std::vector<std::string> received;
    std::string frame;
    for (int i = 0; i < 250; ++i) {
        hub.broadcast("progress", std::to_string(i));
        ASSERT_TRUE(hub.nextFrame(*reader, frame));
        received.push_back(frame);
    }
    ASSERT_EQ(received.size(), 250u);
    EXPECT_EQ(received.back(), sseFrame("progress", "249"));
    EXPECT_TRUE(stalled->closed);
    EXPECT_FALSE(hub.nextFrame(*stalled, frame)) << "its stream must end";
}

TEST(SseHub, ClientCapAndCloseAll) {
    SseHubLimits limits;
    limits.maxClients = 2;
    SseHub hub(limits);
    auto a = hub.connect();
    auto b = hub.connect();
    EXPECT_EQ(hub.connect(), nullptr);
    hub.broadcast("progress", "last");
    hub.closeAll();
    std::string frame;
    ASSERT_TRUE(hub.nextFrame(*a, frame)) << "queued events still go out";
    EXPECT_EQ(frame, sseFrame("progress", "last"));
    EXPECT_FALSE(hub.nextFrame(*a, frame));
    hub.release(b);
    EXPECT_NE(hub.connect(), nullptr);
}

}  // namespace
}  // namespace quillvarden
