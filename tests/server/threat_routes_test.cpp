#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "server/records/threat_list.h"
#include "tests/support/sse_frames.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_server.h"
#include "tests/support/wait_until.h"

namespace quillvarden {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

constexpr SseHubLimits kBriskKeepAlive{std::chrono::milliseconds(100)};
constexpr const char* kInvalidJson = R"({"status":"error","message":"invalid JSON"})";

class FileRoutesTest : public ::testing::Test {
protected:
    FileRoutesTest() : server(kBriskKeepAlive) {
        clearThreats();
        server.services().engine.trustListFile = test::TempDir::toUtf8(dir.path() / "trustlist.txt");
        server.services().quarantineDir = test::TempDir::toUtf8(dir.path() / "quarantine");
    }
    ~FileRoutesTest() override { clearThreats(); }

    httplib::Result send(const std::string& method, const std::string& path, const std::string& body) {
        auto client = server.client();
        if (method == "POST") return client->Post(path.c_str(), body, "application/json");
        if (method == "DELETE") return client->Delete(path.c_str(), body, "application/json");
        return client->Get(path.c_str());
    }

    test::TempDir dir;
    test::TempDir data;
    test::TestServer server;
};

TEST_F(FileRoutesTest, ThreatListIsIndentedAndClears) {
    auto empty = send("GET", "/api/threats", "");
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->body, "{\n  \"count\": 0,\n  \"threats\": []\n}");
    EXPECT_EQ(empty->get_header_value("Content-Type"), "application/json; charset=utf-8");

    ThreatInfo first;
    first.filePath = "C:\\a.exe";
    addThreat(first);
    addThreat(first);
    auto listed = send("GET", "/api/threats", "");
    ASSERT_TRUE(listed);
    const json reply = json::parse(listed->body);
    EXPECT_EQ(reply["count"], 2);
    EXPECT_EQ(reply["threats"][0], first.toJson());
    EXPECT_NE(listed->body.find("\n    {\n      \"aiStory\": \"\",\n"), std::string::npos) << listed->body;

    auto cleared = send("DELETE", "/api/threats", "");
    ASSERT_TRUE(cleared);
    EXPECT_EQ(cleared->body, R"({"status":"cleared"})");
    EXPECT_TRUE(snapshotThreats().empty());
}

TEST_F(FileRoutesTest, BadRequestsChangeNothing) {
    const std::string file = test::TempDir::toUtf8(data.write("keep.exe", "k"));
    struct Case {
        std::string method, path, body;
        int status;
        std::string reply;
    };
    const std::vector<Case> cases = {
        {"POST", "/api/quarantine", "", 400, kInvalidJson},
        {"POST", "/api/quarantine", "plain text", 400, kInvalidJson},
        {"POST", "/api/quarantine", "{}", 400, R"({"message":"缺少 filePath","status":"error"})"},
        {"POST", "/api/quarantine", R"({"path":"x"})", 400, R"({"message":"缺少 filePath","status":"error"})"},
        {"POST", "/api/quarantine", "null", 500, ""},
        {"POST", "/api/quarantine", json::array({file}).dump(), 500, ""},
        {"POST", "/api/quarantine", R"({"filePath":1})", 500, ""},
        {"POST", "/api/delete", "{", 400, kInvalidJson},
        {"POST", "/api/delete", R"({"filePath":""})", 400, R"({"message":"缺少 filePath","status":"error"})"},
        {"POST", "/api/trust", "", 400, kInvalidJson},
        {"POST", "/api/trust", "{}", 400, R"({"message":"缺少 path","status":"error"})"},
        {"POST", "/api/trust", "[]", 500, ""},
        {"DELETE", "/api/trust", "nope", 400, kInvalidJson},
        {"DELETE", "/api/trust", R"({"path":""})", 400, R"({"message":"缺少 path","status":"error"})"},
    };
    for (const Case& c : cases) {
        auto res = send(c.method, c.path, c.body);
        ASSERT_TRUE(res) << c.method << " " << c.path << " " << c.body;
        EXPECT_EQ(res->status, c.status) << c.method << " " << c.path << " " << c.body;
        if (c.status == 400) {
            EXPECT_EQ(res->body, c.reply) << c.path << " " << c.body;
            EXPECT_EQ(res->get_header_value("Content-Type"),
                      c.reply == kInvalidJson ? "application/json" : "application/json; charset=utf-8");
        }
    }
    EXPECT_TRUE(fs::exists(data.path() / "keep.exe"));
    EXPECT_TRUE(server.services().engine.listTrustedDirs().empty());
}

TEST_F(FileRoutesTest, QuarantineMarksEveryEntryOfThePathAndTellsThePage) {
    const std::string path = test::TempDir::toUtf8(data.write("bad.exe", "bad"));
    ThreatInfo listed;
    listed.filePath = path;
    ThreatInfo other;
    other.filePath = path + "x";
    addThreat(listed);
    addThreat(other);
    addThreat(listed);

    test::EventStreamReader stream(server.port(), server.token());
    ASSERT_TRUE(test::waitUntil([&] { return server.services().hub.clientCount() == 1; }));
    auto res = send("POST", "/api/quarantine", json{{"filePath", path}}.dump());
    ASSERT_TRUE(res);
    EXPECT_EQ(res->status, 200);
    EXPECT_EQ(res->body, json({{"filePath", path}, {"status", "ok"}}).dump());
    EXPECT_TRUE(fs::exists(dir.path() / "quarantine" / "bad.exe.quarantine"));

    const auto threats = snapshotThreats();
    EXPECT_TRUE(threats[0].quarantined && threats[2].quarantined);
    EXPECT_FALSE(threats[1].quarantined);
    ASSERT_TRUE(stream.waitForText("event: quarantined"));
    EXPECT_EQ(test::parseSseEvents(stream.text()),
              (std::vector<test::SseEvent>{{"quarantined", json{{"filePath", path}}.dump()}}));

    // Gone now: the second attempt fails and marks nothing new.
    clearThreats();
    addThreat(listed);
    auto again = send("POST", "/api/quarantine", json{{"filePath", path}}.dump());
    ASSERT_TRUE(again);
    EXPECT_EQ(again->body, json({{"filePath", path}, {"status", "failed"}}).dump());
    EXPECT_FALSE(snapshotThreats()[0].quarantined);
}

TEST_F(FileRoutesTest, DeleteMarksByExactPathOnly) {
    const std::string path = test::TempDir::toUtf8(data.write("Del.exe", "d"));
    ThreatInfo listed;
    listed.filePath = path;
    addThreat(listed);
    addThreat(listed);
    ThreatInfo otherSpelling;
    otherSpelling.filePath = path + "/";
    addThreat(otherSpelling);

    auto res = send("POST", "/api/delete", json{{"filePath", path}}.dump());
    ASSERT_TRUE(res);
    EXPECT_EQ(res->body, json({{"filePath", path}, {"status", "ok"}}).dump());
    EXPECT_FALSE(fs::exists(data.path() / "Del.exe"));
    const auto threats = snapshotThreats();
    EXPECT_TRUE(threats[0].deleted && threats[1].deleted);
    EXPECT_FALSE(threats[2].deleted);

    // A reported file that has gone meanwhile: the action fails, nothing is marked.
    ThreatInfo vanished;
    vanished.filePath = path + ".gone";
    addThreat(vanished);
    auto missing = send("POST", "/api/delete", json{{"filePath", vanished.filePath}}.dump());
    ASSERT_TRUE(missing);
    EXPECT_EQ(missing->status, 200);
    EXPECT_EQ(missing->body, json({{"filePath", vanished.filePath}, {"status", "failed"}}).dump());
    EXPECT_FALSE(snapshotThreats()[3].deleted);
}

// Any local process could otherwise have the program move or delete any file it can
// reach: only a reported file that still waits for action may be touched.
TEST_F(FileRoutesTest, ActsOnlyOnReportedFilesStillWaitingForAction) {
    const std::string reported = test::TempDir::toUtf8(data.write("reported.exe", "r"));
    const std::string bystander = test::TempDir::toUtf8(data.write("bystander.txt", "keep me"));
    ThreatInfo threat;
    threat.filePath = reported;
    addThreat(threat);
    ThreatInfo handled;
    handled.filePath = bystander;
    handled.quarantined = true;
    addThreat(handled);
    handled.quarantined = false;
    handled.deleted = true;
    addThreat(handled);

    const std::string otherSpelling = reported.substr(0, reported.size() - 4) + ".EXE";
    for (const char* route : {"/api/quarantine", "/api/delete"}) {
        for (const std::string& path : {bystander, otherSpelling, reported + "/", std::string("/etc/hostname")}) {
            auto res = send("POST", route, json{{"filePath", path}}.dump());
            ASSERT_TRUE(res);
            EXPECT_EQ(res->status, 403) << route << " " << path;
            EXPECT_EQ(res->body, R"({"message":"只能处置扫描发现的威胁文件","status":"error"})");
        }
    }
    EXPECT_EQ(test::readFile(bystander), "keep me");
    EXPECT_TRUE(fs::exists(reported));
    EXPECT_FALSE(fs::exists(dir.path() / "quarantine"));

    // Once quarantined, the same path cannot be acted on again through its old entry.
    auto first = send("POST", "/api/quarantine", json{{"filePath", reported}}.dump());
    ASSERT_TRUE(first);
    EXPECT_EQ(first->status, 200);
    data.write("reported.exe", "a new file at the old place");
    auto second = send("POST", "/api/delete", json{{"filePath", reported}}.dump());
    ASSERT_TRUE(second);
    EXPECT_EQ(second->status, 403);
    EXPECT_EQ(test::readFile(reported), "a new file at the old place");
}

TEST_F(FileRoutesTest, TrustRoutes) {
    struct Step {
        std::string method, path;
        std::string reply;
    };
    const std::vector<Step> steps = {
        {"GET", "", R"({"count":0,"dirs":[]})"},
        {"POST", "D:\\工具", R"({"dirs":["D:\\工具"],"path":"D:\\工具","status":"ok"})"},
        {"POST", "d:/工具/", R"({"dirs":["D:\\工具"],"path":"d:/工具/","status":"exists"})"},
        {"POST", "\\", R"({"dirs":["D:\\工具"],"path":"\\","status":"exists"})"},
        {"POST", "E:\\b", R"({"dirs":["D:\\工具","E:\\b"],"path":"E:\\b","status":"ok"})"},
        {"GET", "", R"({"count":2,"dirs":["D:\\工具","E:\\b"]})"},
        {"DELETE", "D:\\工具\\", R"({"dirs":["E:\\b"],"path":"D:\\工具\\","status":"ok"})"},
        {"DELETE", "D:\\工具", R"({"dirs":["E:\\b"],"path":"D:\\工具","status":"notfound"})"},
    };
    for (const Step& step : steps) {
        auto res = send(step.method, "/api/trust", json{{"path", step.path}}.dump());
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 200);
        EXPECT_EQ(res->body, step.reply) << step.method << " " << step.path;
    }
    EXPECT_EQ(test::readFile(dir.path() / "trustlist.txt"), "E:\\b\n");
}

}  // namespace
}  // namespace quillvarden
