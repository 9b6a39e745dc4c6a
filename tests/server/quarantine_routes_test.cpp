#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "engine/quarantine.h"
#include "tests/support/sse_frames.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_server.h"

namespace quillvarden {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
constexpr const char* kInvalidJson = R"({"status":"error","message":"invalid JSON"})";

class QuarantineRoutesTest : public ::testing::Test {
protected:
    QuarantineRoutesTest() : server(SseHubLimits{std::chrono::milliseconds(100)}) {
        server.services().quarantineDir = vault();
    }
    std::string vault() const { return test::TempDir::toUtf8(dir.path() / "quarantine"); }
    httplib::Result post(const std::string& path, const std::string& body) {
        return server.client()->Post(path.c_str(), body, "application/json");
    }

    test::TempDir dir;
    test::TestServer server;
};

TEST_F(QuarantineRoutesTest, ListsRestoresAndPurgesAndTellsEveryPage) {
    const std::string original = test::TempDir::toUtf8(dir.write("dl/a.exe", "aaa"));
    ASSERT_TRUE(quarantineFileInto(original, vault()));
    dir.write("quarantine/legacy.exe.quarantine", "no record");

    const json list = json::parse(server.client()->Get("/api/quarantine")->body);
    ASSERT_EQ(list["count"], 2);
    std::vector<std::string> names;
    for (const json& item : list["items"]) names.push_back(item["name"]);
    EXPECT_NE(std::find(names.begin(), names.end(), "a.exe.quarantine"), names.end());
    for (const json& item : list["items"]) {
        EXPECT_EQ(item["originalPath"], item["name"] == "a.exe.quarantine" ? original : "");
        EXPECT_TRUE(item.contains("size") && item.contains("quarantinedAtMs"));
    }

    test::EventStreamReader stream(server.port(), server.token());
    ASSERT_TRUE(stream.waitUntilConnected());
    auto restored = post("/api/quarantine/restore", R"({"name":"a.exe.quarantine"})");
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->status, 200);
    EXPECT_EQ(restored->body, json({{"name", "a.exe.quarantine"}, {"originalPath", original}, {"status", "restored"}}).dump());
    EXPECT_EQ(test::readFile(original), "aaa");

    auto purged = post("/api/quarantine/purge", R"({"name":"legacy.exe.quarantine"})");
    ASSERT_TRUE(purged);
    EXPECT_EQ(purged->body, R"({"name":"legacy.exe.quarantine","status":"purged"})");
    ASSERT_TRUE(stream.waitFor(
        [](const std::string& text) { return test::parseSseEvents(text).size() >= 2; }));
    EXPECT_EQ(stream.events(),
              (std::vector<test::SseEvent>{
                  {"quarantine_restored", json({{"name", "a.exe.quarantine"}, {"originalPath", original}}).dump()},
                  {"quarantine_purged", R"({"name":"legacy.exe.quarantine"})"}}));
    EXPECT_EQ(json::parse(server.client()->Get("/api/quarantine")->body)["count"], 0);
}

TEST_F(QuarantineRoutesTest, RefusesWithReasonsAndTouchesNothing) {
    const std::string original = test::TempDir::toUtf8(dir.write("dl/b.exe", "b"));
    ASSERT_TRUE(quarantineFileInto(original, vault()));
    dir.write("dl/b.exe", "new b");
    dir.write("quarantine/legacy.exe.quarantine", "no record");
    dir.write("secret.quarantine", "outside the folder");
    struct Case {
        std::string path, body;
        int status;
        std::string reply;
    };
    const std::vector<Case> cases = {
        {"/api/quarantine/restore", "", 400, kInvalidJson},
        {"/api/quarantine/purge", "not json", 400, kInvalidJson},
        {"/api/quarantine/restore", "{}", 400, R"({"message":"缺少 name","status":"error"})"},
        {"/api/quarantine/purge", R"({"name":"../secret.quarantine"})", 400,
         R"({"message":"无效的隔离文件名：../secret.quarantine","status":"error"})"},
        {"/api/quarantine/restore", R"({"name":"sub\\b.exe.quarantine"})", 400,
         R"({"message":"无效的隔离文件名：sub\\b.exe.quarantine","status":"error"})"},
        {"/api/quarantine/restore", R"({"name":"gone.quarantine"})", 404,
         R"({"message":"隔离区中没有这个文件：gone.quarantine","status":"error"})"},
        {"/api/quarantine/restore", R"({"name":"legacy.exe.quarantine"})", 422,
         R"({"message":"没有这个文件的原始位置记录，无法恢复（可以永久删除）：legacy.exe.quarantine","status":"error"})"},
        {"/api/quarantine/restore", R"({"name":"b.exe.quarantine"})", 409,
         json({{"message", "原位置已有同名文件，为免覆盖未恢复：" + original}, {"status", "error"}}).dump()},
        {"/api/quarantine/purge", R"({"name":7})", 500, ""},
    };
    for (const Case& c : cases) {
        auto res = post(c.path, c.body);
        ASSERT_TRUE(res) << c.body;
        EXPECT_EQ(res->status, c.status) << c.path << " " << c.body;
        if (!c.reply.empty()) {
            EXPECT_EQ(res->body, c.reply) << c.path << " " << c.body;
        }
    }
    EXPECT_EQ(test::readFile(dir.path() / "dl" / "b.exe"), "new b");
    EXPECT_TRUE(fs::exists(dir.path() / "secret.quarantine"));
    EXPECT_EQ(json::parse(server.client()->Get("/api/quarantine")->body)["count"], 2);
    EXPECT_EQ(server.clientWithoutToken()->Get("/api/quarantine")->status, 401);
}

}  // namespace
}  // namespace quillvarden
