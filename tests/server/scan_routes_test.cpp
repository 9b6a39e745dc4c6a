#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "server/records/threat_list.h"
#include "tests/support/engine_samples.h"
#include "tests/support/sse_frames.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_server.h"
#include "tests/support/wait_until.h"

namespace quillvarden {
namespace {

using nlohmann::json;
using test::EventStreamReader;
using test::parseSseEvents;
using test::SseEvent;

constexpr SseHubLimits kBriskKeepAlive{std::chrono::milliseconds(100)};

class ScanRoutesTest : public ::testing::Test {
protected:
    ScanRoutesTest() : server(kBriskKeepAlive) {
        clearThreats();
        server.services().engine.trustListFile = test::TempDir::toUtf8(dir.path() / "trustlist.txt");
    }
    ~ScanRoutesTest() override { clearThreats(); }

    httplib::Result post(const std::string& path, const std::string& body) {
        return server.client()->Post(path.c_str(), body, "application/json");
    }
    static std::string scanBody(const std::string& path) { return json{{"path", path}}.dump(); }

    // Starts a scan and collects its events up to and including scan_done.
    std::vector<SseEvent> scanAndCollect(const std::string& path) {
        EventStreamReader stream(server.port(), server.token());
        EXPECT_TRUE(test::waitUntil([&] { return server.services().hub.clientCount() == 1; }));
        auto res = post("/api/scan", scanBody(path));
        EXPECT_TRUE(res && res->status == 200);
        EXPECT_TRUE(stream.waitForText("event: scan_done"));
        return parseSseEvents(stream.text());
    }

    test::TempDir dir;
    test::TempDir data;
    test::TestServer server;
};

TEST_F(ScanRoutesTest, Replies) {
    const std::string file = test::TempDir::toUtf8(data.write("clean.exe", "x"));
    struct Case {
        std::string body;
        int status;
        std::string reply;
    };
    const std::vector<Case> cases = {
        {"", 400, R"({"message":"invalid JSON body","status":"error"})"},
        {"not json", 400, R"({"message":"invalid JSON body","status":"error"})"},
        {"{}", 400, R"({"message":"缺少 path 字段","status":"error"})"},
        {R"({"path":""})", 400, R"({"message":"缺少 path 字段","status":"error"})"},
        {scanBody(data.str() + "/不存在.exe"),
         404, json{{"message", "路径不存在：" + data.str() + "/不存在.exe"}, {"status", "error"}}.dump()},
        {R"({"path":7})", 500, ""},
        {"null", 500, ""},
        {"[1]", 500, ""},
        {scanBody(file), 200, json{{"isDir", false}, {"path", file}, {"status", "started"}}.dump()},
    };
    for (const Case& c : cases) {
        auto res = post("/api/scan", c.body);
        ASSERT_TRUE(res) << c.body;
        EXPECT_EQ(res->status, c.status) << c.body;
        if (!c.reply.empty()) {
            EXPECT_EQ(res->body, c.reply) << c.body;
        }
        if (c.status != 500) {
            EXPECT_EQ(res->get_header_value("Content-Type"), "application/json; charset=utf-8");
        }
    }
    EXPECT_TRUE(test::waitUntil([&] { return server.services().scanJobs.running() == 0; }));
}

TEST_F(ScanRoutesTest, BusyWhileADirectoryScanRunsWhateverTheBody) {
    DetectionEngine& engine = server.services().engine;
    const ScanTicket running = engine.tryBeginDirectoryScan();  // as if a walk were under way
    ASSERT_NE(running, 0u);
    for (const std::string& body : {std::string("not json"), std::string("{}"), scanBody(data.str())}) {
        auto res = post("/api/scan", body);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 409) << body;
        EXPECT_EQ(res->body, R"({"message":"扫描正在进行中，请等待完成","status":"error"})");
    }
    auto stop = post("/api/scan/stop", "");
    ASSERT_TRUE(stop);
    EXPECT_EQ(stop->body, R"({"status":"stopped"})");
    EXPECT_FALSE(engine.scanning.load());
    auto again = post("/api/scan/stop", "ignored");
    ASSERT_TRUE(again);
    EXPECT_EQ(again->body, R"({"status":"stopped"})");
}

TEST_F(ScanRoutesTest, EmptyDirectoryEvents) {
    const std::string empty = test::TempDir::toUtf8(data.makeDir("empty"));
    const auto events = scanAndCollect(empty);
    const std::vector<SseEvent> expected = {
        {"scan_start", json{{"path", empty}}.dump()},
        {"progress", R"({"currentFile":"","running":true,"scannedFiles":0,"threatsFound":0,"totalFiles":0})"},
        {"progress", R"({"currentFile":"","running":false,"scannedFiles":0,"threatsFound":0,"totalFiles":0})"},
        {"scan_done", R"({"status":"done"})"},
    };
    EXPECT_EQ(events, expected);
    auto progress = server.client()->Get("/api/scan/progress");
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->body, expected[2].data);
}

TEST_F(ScanRoutesTest, OneFileScanEventsLeaveDirectoryProgressAlone) {
    const std::string eicar = test::TempDir::toUtf8(data.write("eicar.com", test::kEicar));
    const auto events = scanAndCollect(eicar);
    ASSERT_EQ(test::eventNames(events),
              (std::vector<std::string>{"scan_start", "progress", "threat", "threat", "progress", "scan_done"}));
    EXPECT_EQ(events[1].data, json({{"currentFile", eicar}, {"running", true}, {"scannedFiles", 0},
                                    {"threatsFound", 0}, {"totalFiles", 1}}).dump());
    EXPECT_EQ(json::parse(events[2].data)["type"], "Eicar");
    EXPECT_EQ(json::parse(events[3].data)["type"], "HashMatch");
    EXPECT_EQ(events[4].data,
              R"({"currentFile":"","running":false,"scannedFiles":1,"threatsFound":2,"totalFiles":1})");
    EXPECT_EQ(snapshotThreats().size(), 2u);

    auto progress = server.client()->Get("/api/scan/progress");
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->body,
              R"({"currentFile":"","running":false,"scannedFiles":0,"threatsFound":0,"totalFiles":0})");
}

TEST_F(ScanRoutesTest, DirectoryScanEventsAndFinalProgress) {
    data.write("tree/eicar.com", test::kEicar);
    data.write("tree/sub/clean.exe", "clean");
    data.write("tree/readme.txt", "text");
    const std::string tree = test::TempDir::toUtf8(data.path() / "tree");
    const auto events = scanAndCollect(tree);
    const auto names = test::eventNames(events);
    ASSERT_EQ(names.size(), 1u + 1u + 3u + 2u + 1u + 1u);
    EXPECT_EQ(names.front(), "scan_start");
    EXPECT_EQ(names[1], "progress");
    EXPECT_EQ(names.back(), "scan_done");
    // Every file ends with one progress event, after that file's threats.
    std::int64_t lastScanned = 0;
    for (std::size_t i = 2; i + 1 < events.size(); ++i) {
        ASSERT_TRUE(events[i].name == "threat" || events[i].name == "progress") << events[i].name;
        if (events[i].name != "progress") continue;
        const std::int64_t scanned = json::parse(events[i].data)["scannedFiles"];
        if (i + 2 < events.size()) {
            EXPECT_EQ(scanned, lastScanned + 1);
        }
        lastScanned = scanned;
    }
    const std::string final = events[events.size() - 2].data;
    EXPECT_EQ(final, R"({"currentFile":"","running":false,"scannedFiles":3,"threatsFound":2,"totalFiles":3})");
    auto progress = server.client()->Get("/api/scan/progress");
    ASSERT_TRUE(progress);
    EXPECT_EQ(progress->body, final);
}

TEST_F(ScanRoutesTest, StoppedScanStillEndsWithFinalProgressAndDone) {
    for (int i = 0; i < 200; ++i) data.write("many/f" + std::to_string(i) + ".exe", std::string(20000, 'x'));
    EventStreamReader stream(server.port(), server.token());
    ASSERT_TRUE(test::waitUntil([&] { return server.services().hub.clientCount() == 1; }));
    ASSERT_EQ(post("/api/scan", scanBody(test::TempDir::toUtf8(data.path() / "many")))->status, 200);
    ASSERT_TRUE(stream.waitForText("\"scannedFiles\":1,"));
    ASSERT_EQ(post("/api/scan/stop", "")->status, 200);
    ASSERT_TRUE(stream.waitForText("event: scan_done"));
    const auto events = parseSseEvents(stream.text());
    const json final = json::parse(events[events.size() - 2].data);
    EXPECT_FALSE(final["running"].get<bool>());
    EXPECT_EQ(final["currentFile"], "");
    EXPECT_LT(final["scannedFiles"].get<int>(), 200);
    EXPECT_FALSE(server.services().engine.scanning.load());
}

}  // namespace
}  // namespace quillvarden
