#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "protection/host_hooks.h"
#include "protection/protection_switches.h"
#include "server/health_route.h"
#include "tests/support/autostart_fixture.h"
#include "tests/support/sse_frames.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_server.h"
#include "tests/support/wait_until.h"

namespace quillvarden {
namespace {

using nlohmann::json;
constexpr const char* kInvalidJson = R"({"status":"error","message":"invalid JSON"})";

class ProtectionRoutesTest : public ::testing::Test {
protected:
    explicit ProtectionRoutesTest(bool elevated = false) : server(options(elevated)) {}
    ~ProtectionRoutesTest() override {
        installElevatedRelaunch(nullptr);
        server.services().stopProtections();
        protectionEnabled.store(true);
        execProtectionEnabled.store(true);
        autoBlockEnabled.store(false);
    }

    AppServicesOptions options(bool elevated) {
        AppServicesOptions o;
        o.hubLimits = SseHubLimits{std::chrono::milliseconds(100)};
        o.autostartLocations = fixture.locations();
        o.isElevated = [elevated] { return elevated; };
        return o;
    }

    httplib::Result post(const std::string& path, const std::string& body) {
        return server.client()->Post(path.c_str(), body, "application/json");
    }
    json get(const std::string& path) { return json::parse(server.client()->Get(path.c_str())->body); }

    test::AutostartFixture fixture;
    test::TempDir dir;
    test::TestServer server;
};

TEST_F(ProtectionRoutesTest, RefusesBadRequestsWithTheirOwnWords) {
    const std::string missing = dir.str() + "/nonexistent";
    const std::string file = test::TempDir::toUtf8(dir.write("file.txt", "x"));
    struct Case {
        std::string path, body;
        int status;
        std::string reply;
    };
    const std::vector<Case> cases = {
        {"/api/monitor", "", 400, kInvalidJson},
        {"/api/monitor", "plain words", 400, kInvalidJson},
        {"/api/monitor", "{}", 400, R"({"message":"action 必须是 start 或 stop","status":"error"})"},
        {"/api/monitor", R"({"action":"pause"})", 400, R"({"message":"action 必须是 start 或 stop","status":"error"})"},
        {"/api/monitor", R"({"action":"start"})", 400, R"({"message":"缺少 path 字段","status":"error"})"},
        {"/api/monitor", json{{"action", "start"}, {"path", missing}}.dump(), 400,
         json{{"message", "路径不是有效目录：" + missing}, {"status", "error"}}.dump()},
        {"/api/monitor", json{{"action", "start"}, {"path", file}}.dump(), 400,
         json{{"message", "路径不是有效目录：" + file}, {"status", "error"}}.dump()},
        {"/api/monitor", R"({"action":"start","path":7})", 500, ""},
        {"/api/protection", "", 400, kInvalidJson},
        {"/api/protection", R"({"action":"restart"})", 400,
         R"({"message":"action 必须是 start / stop / autoblock","status":"error"})"},
        {"/api/protection", R"({"action":"autoblock","enabled":"yes"})", 500, ""},
        {"/api/protection", "[]", 500, ""},
        {"/api/exec-protection", "nope", 400, kInvalidJson},
        {"/api/exec-protection", R"({"action":""})", 400, R"({"message":"action 必须是 start 或 stop","status":"error"})"},
    };
    for (const Case& c : cases) {
        auto res = post(c.path, c.body);
        ASSERT_TRUE(res) << c.path << " " << c.body;
        EXPECT_EQ(res->status, c.status) << c.path << " " << c.body;
        if (c.status == 400) {
            EXPECT_EQ(res->body, c.reply) << c.path << " " << c.body;
            EXPECT_EQ(res->get_header_value("Content-Type"),
                      c.reply == kInvalidJson ? "application/json" : "application/json; charset=utf-8");
        }
    }
    EXPECT_FALSE(server.services().directoryMonitor.isRunning());
}

TEST_F(ProtectionRoutesTest, SwitchesReportAndBroadcastTheirState) {
    test::EventStreamReader stream(server.port(), server.token());
    ASSERT_TRUE(stream.waitUntilConnected());
    struct Step {
        std::string path, body, reply;
        std::string event;  // "name data"
    };
    const std::string watched = dir.str();
    const std::vector<Step> steps = {
        {"/api/exec-protection", R"({"action":"start"})", R"({"running":true,"status":"ok"})",
         R"(exec_protection_status {"running":true})"},
        {"/api/exec-protection", R"({"action":"start"})", R"({"running":true,"status":"ok"})",
         R"(exec_protection_status {"running":true})"},
        {"/api/exec-protection", R"({"action":"stop"})", R"({"running":false,"status":"ok"})",
         R"(exec_protection_status {"running":false})"},
        {"/api/protection", R"({"action":"start"})", R"({"autoBlock":false,"running":true,"status":"ok"})",
         R"(protection_status {"autoBlock":false,"running":true})"},
        {"/api/protection", R"({"action":"autoblock","enabled":false})",
         R"({"autoBlock":false,"running":true,"status":"ok"})", R"(protection_status {"autoBlock":false,"running":true})"},
        {"/api/protection", R"({"action":"stop"})", R"({"autoBlock":false,"running":false,"status":"ok"})",
         R"(protection_status {"autoBlock":false,"running":false})"},
        {"/api/monitor", json{{"action", "start"}, {"path", watched}}.dump(),
         json{{"path", watched}, {"status", "started"}}.dump(),
         "monitor_status " + json{{"path", watched}, {"running", true}}.dump()},
        {"/api/monitor", R"({"action":"stop"})", R"({"status":"stopped"})", R"(monitor_status {"running":false})"},
        {"/api/monitor", R"({"action":"stop"})", R"({"status":"stopped"})", R"(monitor_status {"running":false})"},
    };
    std::vector<test::SseEvent> expected;
    for (const Step& step : steps) {
        auto res = post(step.path, step.body);
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200) << step.path << " " << step.body;
        EXPECT_EQ(res->body, step.reply) << step.path << " " << step.body;
        const auto space = step.event.find(' ');
        expected.push_back({step.event.substr(0, space), step.event.substr(space + 1)});
    }
    ASSERT_TRUE(stream.waitFor(
        [&](const std::string& text) { return test::parseSseEvents(text).size() >= expected.size(); }));
    EXPECT_EQ(stream.events(), expected);

    EXPECT_EQ(get("/api/monitor/status"), json({{"running", false}, {"watchDir", watched}}));
    EXPECT_EQ(get("/api/protection/status"), json({{"autoBlock", false}, {"running", false}}));
    EXPECT_EQ(get("/api/exec-protection/status"), json({{"running", false}}));
}

TEST_F(ProtectionRoutesTest, AutoBlockAsksForElevationWhenNotElevated) {
    std::atomic<int> relaunches{0};
    installElevatedRelaunch([&] { ++relaunches; });
    server.services().startAutostartProtection();
    test::EventStreamReader stream(server.port(), server.token());
    ASSERT_TRUE(stream.waitUntilConnected());
    auto res = post("/api/protection", R"({"action":"autoblock","enabled":true})");
    ASSERT_TRUE(res);
    EXPECT_EQ(res->body, R"({"autoBlock":false,"running":true,"status":"elevating"})");
    EXPECT_TRUE(test::waitUntil([&] { return relaunches.load() == 1; }));
    EXPECT_FALSE(autoBlockEnabled.load());
    // No protection_status for it: the next event on the stream is the one after.
    post("/api/exec-protection", R"({"action":"stop"})");
    ASSERT_TRUE(stream.waitForEvent("exec_protection_status"));
    EXPECT_EQ(stream.events().size(), 1u);
}

class ElevatedProtectionRoutesTest : public ProtectionRoutesTest {
protected:
    ElevatedProtectionRoutesTest() : ProtectionRoutesTest(true) {}
};

TEST_F(ElevatedProtectionRoutesTest, AutoBlockSwitchesOnAndOffAndOutlivesStop) {
    auto on = post("/api/protection", R"({"action":"autoblock","enabled":true})");
    ASSERT_TRUE(on);
    EXPECT_EQ(on->body, R"({"autoBlock":true,"running":false,"status":"ok"})");
    EXPECT_TRUE(autoBlockEnabled.load());
    post("/api/protection", R"({"action":"stop"})");
    EXPECT_EQ(get("/api/protection/status"), json({{"autoBlock", true}, {"running", false}}));
    auto off = post("/api/protection", R"({"action":"autoblock"})");  // "enabled" absent: off
    ASSERT_TRUE(off);
    EXPECT_EQ(off->body, R"({"autoBlock":false,"running":false,"status":"ok"})");
}

TEST_F(ProtectionRoutesTest, HealthReadsEverythingAtRequestTime) {
    const json atStart = get("/api/health");
    EXPECT_EQ(atStart, json({{"aiEngine", "rule-template"},
                             {"aiMode", "rule"},
                             {"aiModeCn", "规则降级模式（无模型）"},
                             {"app", "Quillvarden Antivirus"},
                             {"execProtection", false},
                             {"modelName", ""},
                             {"monitoring", false},
                             {"protection", false},
                             {"scanning", false},
                             {"sseClients", 0},
                             {"status", "ok"}}));
    post("/api/exec-protection", R"({"action":"start"})");
    post("/api/protection", R"({"action":"start"})");
    post("/api/monitor", json{{"action", "start"}, {"path", dir.str()}}.dump());
    test::EventStreamReader stream(server.port(), server.token());
    ASSERT_TRUE(stream.waitUntilConnected());
    const json now = get("/api/health");
    EXPECT_TRUE(now["execProtection"]);
    EXPECT_TRUE(now["protection"]);
    EXPECT_TRUE(now["monitoring"]);
    EXPECT_EQ(now["sseClients"], 1);

    // A switch that is off wins over a monitor that runs.
    protectionEnabled.store(false);
    EXPECT_FALSE(get("/api/health")["protection"]);
    protectionEnabled.store(true);

    server.services().engine.scanning.store(true);  // as a directory scan sets it
    EXPECT_TRUE(get("/api/health")["scanning"]);
    server.services().engine.scanning.store(false);
}

}  // namespace
}  // namespace quillvarden
