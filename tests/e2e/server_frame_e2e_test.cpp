#include <gtest/gtest.h>

#include <signal.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/app_process.h"
#include "tests/e2e/e2e_fixture.h"

namespace quillvarden::e2e {
namespace {

using namespace std::chrono_literals;

TEST_F(RunningApp, AnswersPreflightWithCrossOriginHeadersOnce) {
    auto res = client()->Options("/api/anything");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 204);
    EXPECT_EQ(res->body, "");
    EXPECT_EQ(res->headers.count("Access-Control-Allow-Origin"), 1u);
    EXPECT_EQ(res->get_header_value("Access-Control-Allow-Origin"), "*");
    EXPECT_EQ(res->get_header_value("Access-Control-Allow-Methods"), "GET, POST, DELETE, OPTIONS");
    EXPECT_EQ(res->get_header_value("Access-Control-Allow-Headers"), "Content-Type");
}

TEST_F(RunningApp, ServesThePageAndRefusesOtherSites) {
    auto page = client()->Get("/");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_NE(page->body.find("羽岚"), std::string::npos);

    auto missing = client()->Get("/nothing-here");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
    EXPECT_EQ(missing->body, "");

    auto foreign = client()->Get("/", {{"Origin", "http://evil.example"}});
    ASSERT_TRUE(foreign);
    EXPECT_EQ(foreign->status, 403);
}

TEST_F(RunningApp, StreamsKeepAliveFrames) {
    auto c = client();
    std::string received;
    int status = 0;
    std::string contentType;
    c->Get(
        "/ws",
        [&](const httplib::Response& res) {
            status = res.status;
            contentType = res.get_header_value("Content-Type");
            return true;
        },
        [&](const char* data, std::size_t length) {
            received.append(data, length);
            return received.find(": keep-alive\n\n") == std::string::npos;
        });
    EXPECT_EQ(status, 200);
    EXPECT_EQ(contentType, "text/event-stream");
    EXPECT_EQ(received, ": keep-alive\n\n");
}

TEST_F(RunningApp, SecondInstanceCannotTakeThePort) {
    TempRoot root;
    AppProcess second(root.path());
    const auto code = second.waitForExit(120s);
    ASSERT_TRUE(code.has_value()) << "the second instance kept running";
    EXPECT_NE(*code, 0);
    EXPECT_NE(second.standardError().find("无法监听 127.0.0.1:8910"), std::string::npos)
        << second.standardError();
    // The first one still serves.
    auto res = client()->Options("/");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 204);
}

TEST(StoppingTheApp, StopRequestEndsItCleanly) {
    // Wine turns SIGINT into the console's Ctrl+C event.
    std::vector<int> signals = {SIGINT};
    if (!runsUnderWine()) signals.push_back(SIGTERM);
    for (const int sig : signals) {
        TempRoot root;
        AppProcess app(root.path());
        ASSERT_TRUE(app.waitUntilServing()) << app.standardError();
        // An open stream must not hold the stop up until its next keep-alive.
        std::atomic<bool> streamEnded{false};
        std::thread stream([&] {
            client()->Get("/ws", [&](const char*, std::size_t) { return true; });
            streamEnded = true;
        });
        std::this_thread::sleep_for(500ms);
        app.signal(sig);
        const auto code = app.waitForExit(10s);
        ASSERT_TRUE(code.has_value()) << "signal " << sig;
        EXPECT_EQ(*code, 0) << app.standardError();
        stream.join();
        EXPECT_TRUE(streamEnded);
        EXPECT_NE(app.standardOutput().find("服务已停止"), std::string::npos) << app.standardOutput();
    }
}

}  // namespace
}  // namespace quillvarden::e2e
