#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/process_paths.h"
#include "server/cross_origin.h"
#include "server/web_root.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_server.h"
#include "tests/support/wait_until.h"

namespace quillvarden {
namespace {

using namespace std::chrono_literals;
using test::EventStreamReader;
using test::TempDir;
using test::TestServer;

void expectCrossOriginHeadersOnce(const httplib::Headers& headers, const std::string& what) {
    const std::pair<const char*, const char*> expected[] = {
        {"Access-Control-Allow-Origin", "*"},
        {"Access-Control-Allow-Methods", "GET, POST, DELETE, OPTIONS"},
        {"Access-Control-Allow-Headers", "Content-Type"},
    };
    for (const auto& [name, value] : expected) {
        EXPECT_EQ(headers.count(name), 1u) << what << ": " << name;
        const auto found = headers.find(name);
        if (found != headers.end()) {
            EXPECT_EQ(found->second, value) << what;
        }
    }
}

// Serves from a temporary current directory holding web/index.html.
class HttpFrameTest : public ::testing::Test {
protected:
    HttpFrameTest() : cwd_(dir_.path()) { dir_.write("web/index.html", "<h1>羽岚</h1>"); }

    TempDir dir_;
    test::ScopedCurrentDir cwd_;
};

constexpr SseHubLimits kBriskKeepAlive{std::chrono::milliseconds(100)};

TEST_F(HttpFrameTest, CrossOriginHeadersOnEveryKindOfResponse) {
    TestServer server(kBriskKeepAlive);
    auto client = server.client();

    auto page = client->Get("/");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(page->body, "<h1>羽岚</h1>");
    expectCrossOriginHeadersOnce(page->headers, "static file");

    auto missing = client->Get("/no/such/page");
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 404);
    EXPECT_EQ(missing->body, "");
    expectCrossOriginHeadersOnce(missing->headers, "404");

    auto unrouted = client->Post("/api/nothing", "{}", "application/json");
    ASSERT_TRUE(unrouted);
    EXPECT_EQ(unrouted->status, 404);
    EXPECT_EQ(unrouted->body, "");

    for (const char* path : {"/", "/api/scan", "/any/path/at/all", "/ws"}) {
        auto preflight = client->Options(path);
        ASSERT_TRUE(preflight) << path;
        EXPECT_EQ(preflight->status, 204) << path;
        EXPECT_EQ(preflight->body, "") << path;
        expectCrossOriginHeadersOnce(preflight->headers, std::string("OPTIONS ") + path);
    }

    auto forbidden = client->Get("/", {{"Origin", "http://evil.example"}});
    ASSERT_TRUE(forbidden);
    EXPECT_EQ(forbidden->status, 403);
    expectCrossOriginHeadersOnce(forbidden->headers, "403");

    EventStreamReader stream(server.port(), server.token());
    ASSERT_TRUE(stream.waitFor([&](const std::string&) { return stream.status() != 0; }));
    expectCrossOriginHeadersOnce(stream.headers(), "event stream");
}

TEST_F(HttpFrameTest, OnlyTheOwnPageMayCall) {
    TestServer server;
    const std::string own = "127.0.0.1:" + std::to_string(server.port());
    const std::string local = "localhost:" + std::to_string(server.port());
    struct Case {
        std::string host, origin;
        bool allowed;
    };
    const std::vector<Case> cases = {
        {own, "", true},
        {local, "", true},
        {"LOCALHOST:" + std::to_string(server.port()), "", true},
        {own, "http://" + own, true},
        {own, "http://" + local, true},
        {own, "http://evil.example", false},
        {own, "null", false},
        {own, "https://" + own, false},
        {own, "http://" + own + ".evil.example", false},
        {own, "http://127.0.0.1:1", false},
        {"evil.example:" + std::to_string(server.port()), "", false},  // DNS rebinding
        {"127.0.0.1", "", false},
        {"127.0.0.1:1", "", false},
    };
    for (const Case& c : cases) {
        httplib::Headers headers = {{"Host", c.host}};
        if (!c.origin.empty()) headers.emplace("Origin", c.origin);
        auto res = server.client()->Options("/api/scan", headers);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, c.allowed ? 204 : 403) << c.host << " / " << c.origin;
        if (!c.allowed) {
            EXPECT_EQ(res->body, R"({"message":"forbidden origin","status":"error"})");
        }
    }
}

TEST(OriginPolicy, RefusesMissingOrRepeatedHeaders) {
    OriginPolicy policy(8910);
    httplib::Request noHost;
    EXPECT_FALSE(policy.allows(noHost));
    httplib::Request twoOrigins;
    twoOrigins.headers = {{"Host", "127.0.0.1:8910"},
                          {"Origin", "http://127.0.0.1:8910"},
                          {"Origin", "http://evil.example"}};
    EXPECT_FALSE(policy.allows(twoOrigins));
    httplib::Request page;
    page.headers = {{"Host", "localhost:8910"}, {"Origin", "http://localhost:8910"}};
    EXPECT_TRUE(policy.allows(page));
}

TEST_F(HttpFrameTest, EventStreamDeliversBroadcastsToEveryClientInOrder) {
    TestServer server(kBriskKeepAlive);
    EventStreamReader first(server.port(), server.token());
    EventStreamReader second(server.port(), server.token());
    ASSERT_TRUE(test::waitUntil([&] { return server.services().hub.clientCount() == 2; }));

    auto& hub = server.services().hub;
    hub.broadcast("scan_start", R"({"path":"C:\\a"})");
    hub.broadcast("threat", "line one\nline two\r\nend");
    hub.broadcast("scan_done", R"({"status":"done"})");

    const std::string expected = "event: scan_start\ndata: {\"path\":\"C:\\\\a\"}\n\n"
                                 "event: threat\ndata: line one line two  end\n\n"
                                 "event: scan_done\ndata: {\"status\":\"done\"}\n\n";
    for (EventStreamReader* reader : {&first, &second}) {
        ASSERT_TRUE(reader->waitForText("scan_done"));
        EXPECT_EQ(reader->eventsText(), expected);
        const auto headers = reader->headers();
        EXPECT_EQ(reader->status(), 200);
        EXPECT_EQ(headers.find("Content-Type")->second, "text/event-stream");
        EXPECT_EQ(headers.find("Cache-Control")->second, "no-cache");
        EXPECT_EQ(headers.find("Transfer-Encoding")->second, "chunked");
    }
}

TEST_F(HttpFrameTest, KeepAliveAndRemovalAfterDisconnect) {
    TestServer server(kBriskKeepAlive);
    auto& hub = server.services().hub;
    {
        EventStreamReader reader(server.port(), server.token());
        ASSERT_TRUE(reader.waitForText(": keep-alive\n\n: keep-alive\n\n"));
        EXPECT_EQ(hub.clientCount(), 1u);
        reader.close();
    }
    // The server notices the hang-up at its next write, a keep-alive at the latest.
    EXPECT_TRUE(test::waitUntil([&] { return hub.clientCount() == 0; }));
}

TEST_F(HttpFrameTest, OpenStreamsLeaveWorkersForTheApi) {
    TestServer server(kBriskKeepAlive);
    std::vector<std::unique_ptr<EventStreamReader>> streams;
    for (int i = 0; i < 16; ++i) streams.push_back(std::make_unique<EventStreamReader>(server.port(), server.token()));
    ASSERT_TRUE(test::waitUntil([&] { return server.services().hub.clientCount() == 16; }));

    auto client = server.client();
    client->set_read_timeout(5);
    for (int i = 0; i < 10; ++i) {
        auto res = client->Get("/");
        ASSERT_TRUE(res) << "request " << i << " found no free worker";
        EXPECT_EQ(res->status, 200);
    }

    // Beyond the cap a stream is refused instead of taking the last workers.
    while (streams.size() < server.services().hub.limits().maxClients) {
        streams.push_back(std::make_unique<EventStreamReader>(server.port(), server.token()));
    }
    ASSERT_TRUE(test::waitUntil([&] { return server.services().hub.clientCount() == streams.size(); }));
    auto refused = client->Get("/ws");
    ASSERT_TRUE(refused);
    EXPECT_EQ(refused->status, 503);
}

TEST(WebRoot, CandidatesInOrder) {
    EXPECT_EQ(webRootCandidates("C:\\Program Files\\Q", '\\'),
              (std::vector<std::string>{"web", "quillvarden\\web", "..\\..\\web", "..\\web",
                                        "C:\\Program Files\\Q\\web",
                                        "C:\\Program Files\\Q\\..\\..\\web"}));
    EXPECT_EQ(webRootCandidates("", '/'),
              (std::vector<std::string>{"web", "quillvarden/web", "../../web", "../web"}));
}

TEST(WebRoot, FirstExistingDirectoryWinsAndStaysRelative) {
    TempDir dir;
    const auto cwd = dir.makeDir("a/b");
    test::ScopedCurrentDir inside(cwd);
    // A plain file named like a candidate does not count.
    dir.write("a/b/web", "not a directory");
    EXPECT_EQ(resolveWebRoot(), "");
    dir.makeDir("web");
    EXPECT_EQ(resolveWebRoot(), std::string("..") + platform::kPathSeparator + ".." +
                                    platform::kPathSeparator + "web");
    dir.makeDir("a/b/quillvarden/web");
    EXPECT_EQ(resolveWebRoot(), std::string("quillvarden") + platform::kPathSeparator + "web");
}

}  // namespace
}  // namespace quillvarden
