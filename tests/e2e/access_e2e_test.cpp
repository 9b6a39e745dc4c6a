// The running program as another local process sees it: without the token it gets
// nothing, and even with it no file can be touched that a scan did not report.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <string>

#include <nlohmann/json.hpp>

#include "tests/e2e/app_process.h"
#include "tests/e2e/e2e_fixture.h"

namespace quillvarden::e2e {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;
using namespace std::chrono_literals;

constexpr const char* kUnauthorised = R"({"message":"未授权的请求","status":"error"})";

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST_F(RunningApp, ApiAnswersOnlyWithTheToken) {
    const std::string token = apiToken();
    ASSERT_EQ(token.size(), 64u);
    EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos);
    // A headless start gives the whole address, so that the user can open it.
    EXPECT_NE(app_->standardOutput().find("本地服务已启动：http://127.0.0.1:8910/#token=" + token + "\n"),
              std::string::npos)
        << app_->standardOutput();

    auto none = clientWithoutToken()->Get("/api/threats");
    ASSERT_TRUE(none);
    EXPECT_EQ(none->status, 401);
    EXPECT_EQ(none->body, kUnauthorised);
    EXPECT_EQ(none->get_header_value("Access-Control-Allow-Origin"), "*");

    auto wrong = clientWithoutToken()->Post("/api/trust", {{"X-Quillvarden-Token", std::string(64, 'a')}},
                                            R"({"path":"/tmp"})", "application/json");
    ASSERT_TRUE(wrong);
    EXPECT_EQ(wrong->status, 401);

    auto header = client()->Get("/api/trust");
    ASSERT_TRUE(header);
    EXPECT_EQ(header->status, 200);
    EXPECT_EQ(header->body, R"({"count":0,"dirs":[]})");
    auto query = clientWithoutToken()->Get("/api/trust?token=" + token);
    ASSERT_TRUE(query);
    EXPECT_EQ(query->status, 200);
    auto stream = clientWithoutToken()->Get("/ws?token=" + std::string(64, 'b'));
    ASSERT_TRUE(stream);
    EXPECT_EQ(stream->status, 401);

    // The page itself loads without the token; it reads it from its address.
    auto page = clientWithoutToken()->Get("/");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
}

TEST_F(RunningApp, TokenFileIsTheOwnersAlone) {
    const fs::path file = app_->appDir() / "api-token";
    EXPECT_EQ(readText(file), apiToken());
    if (!runsUnderWine()) {  // the Windows access list is checked by the unit tests under Wine
        struct stat info {};
        ASSERT_EQ(::stat(file.c_str(), &info), 0);
        EXPECT_EQ(info.st_mode & 07777, 0600u);
    }
}

TEST_F(RunningApp, UnreportedFilesCannotBeTouched) {
    const fs::path victim = root_->path() / "victim.txt";
    std::ofstream(victim, std::ios::binary) << "precious";
    for (const char* route : {"/api/delete", "/api/quarantine"}) {
        auto res = client()->Post(route, json{{"filePath", programPath(victim)}}.dump(), "application/json");
        ASSERT_TRUE(res);
        EXPECT_EQ(res->status, 403) << route;
        EXPECT_EQ(res->body, R"({"message":"只能处置扫描发现的威胁文件","status":"error"})");
    }
    EXPECT_EQ(readText(victim), "precious");
}

TEST(TokenAcrossRuns, FreshEachStartAndGoneAfterACleanExit) {
    TempRoot root;
    std::string first;
    {
        AppProcess app(root.path());
        ASSERT_TRUE(app.waitUntilServing()) << app.standardError();
        first = apiToken();
        app.kill();  // no clean exit: the file stays behind
        EXPECT_EQ(readText(app.appDir() / "api-token"), first);
    }
    AppProcess again(root.path());
    ASSERT_TRUE(again.waitUntilServing()) << again.standardError();
    const std::string second = apiToken();
    EXPECT_NE(second, first);
    EXPECT_EQ(readText(again.appDir() / "api-token"), second);
    auto stale = clientWithoutToken()->Get("/api/threats", {{"X-Quillvarden-Token", first}});
    ASSERT_TRUE(stale);
    EXPECT_EQ(stale->status, 401);

    again.signal(SIGINT);
    ASSERT_TRUE(again.waitForExit(20s).has_value());
    EXPECT_FALSE(fs::exists(again.appDir() / "api-token"));
}

}  // namespace
}  // namespace quillvarden::e2e
