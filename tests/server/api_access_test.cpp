// The API and the event stream answer only requests that carry this run's token;
// the page's files and preflights stay open so that the page can load and ask.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "server/api_token.h"
#include "server/api_token_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_server.h"

namespace quillvarden {
namespace {

using nlohmann::json;
constexpr const char* kUnauthorised = R"({"message":"未授权的请求","status":"error"})";

TEST(ApiToken, IsFreshHexOfThirtyTwoBytes) {
    std::set<std::string> seen;
    for (int i = 0; i < 8; ++i) {
        const std::string token = generateApiToken();
        ASSERT_EQ(token.size(), 64u);
        EXPECT_EQ(token.find_first_not_of("0123456789abcdef"), std::string::npos) << token;
        seen.insert(token);
    }
    EXPECT_EQ(seen.size(), 8u);
    EXPECT_EQ(processApiToken(), processApiToken());
}

TEST(ApiToken, ComparesWholeValues) {
    struct Case {
        std::string a, b;
        bool equal;
    };
    const std::vector<Case> cases = {
        {"abc", "abc", true}, {"abc", "abd", false}, {"abc", "ab", false},
        {"", "", true},       {"abc", "ABC", false}, {std::string("a\0c", 3), "abc", false},
    };
    for (const Case& c : cases) EXPECT_EQ(constantTimeEquals(c.a, c.b), c.equal) << c.a << " / " << c.b;
}

class ApiAccessTest : public ::testing::Test {
protected:
    ApiAccessTest() : cwd_(dir_.path()) { dir_.write("web/index.html", "<h1>羽岚</h1>"); }

    test::TempDir dir_;
    test::ScopedCurrentDir cwd_;
};

TEST_F(ApiAccessTest, EveryRouteNeedsTheToken) {
    test::TestServer server;
    const std::string token = server.token();
    const std::string wrong = std::string(64, '0');
    struct Route {
        std::string method, path;
    };
    const std::vector<Route> routes = {
        {"GET", "/api/threats"},     {"DELETE", "/api/threats"}, {"POST", "/api/quarantine"},
        {"POST", "/api/delete"},     {"GET", "/api/trust"},      {"POST", "/api/trust"},
        {"DELETE", "/api/trust"},    {"POST", "/api/scan"},      {"POST", "/api/scan/stop"},
        {"GET", "/api/scan/progress"}, {"GET", "/ws"},           {"GET", "/api/no-such-route"},
    };
    struct Credential {
        std::string what;
        httplib::Headers headers;
        std::string query;
        bool valid;
    };
    const std::vector<Credential> credentials = {
        {"none", {}, "", false},
        {"wrong header", {{kApiTokenHeader, wrong}}, "", false},
        {"short header", {{kApiTokenHeader, token.substr(0, 63)}}, "", false},
        {"empty header", {{kApiTokenHeader, ""}}, "", false},
        {"wrong query", {}, "?token=" + wrong, false},
        {"two headers", {{kApiTokenHeader, token}, {kApiTokenHeader, wrong}}, "", false},
        {"wrong header, right query", {{kApiTokenHeader, wrong}}, "?token=" + token, false},
        {"header", {{kApiTokenHeader, token}}, "", true},
        {"query", {}, "?token=" + token, true},
    };
    for (const Route& route : routes) {
        for (const Credential& credential : credentials) {
            const std::string what = route.method + " " + route.path + " with " + credential.what;
            // Only GET requests may carry the token in their address.
            const bool admitted = credential.valid && (credential.query.empty() || route.method == "GET");
            httplib::Request req;
            req.method = route.method;
            req.path = route.path + credential.query;
            req.headers = credential.headers;
            req.headers.emplace("Host", "127.0.0.1:" + std::to_string(server.port()));
            if (route.method != "GET") {
                req.body = "{}";
                req.headers.emplace("Content-Type", "application/json");
            }
            if (route.path == "/ws" && admitted) continue;  // an open stream; covered below
            auto client = server.clientWithoutToken();
            auto res = client->send(req);
            ASSERT_TRUE(res) << what;
            if (admitted) {
                EXPECT_NE(res->status, 401) << what;
            } else {
                EXPECT_EQ(res->status, 401) << what;
                EXPECT_EQ(res->body, kUnauthorised) << what;
                EXPECT_EQ(res->get_header_value("Content-Type"), "application/json; charset=utf-8") << what;
                EXPECT_EQ(res->get_header_value_count("Access-Control-Allow-Origin"), 1u) << what;
            }
        }
    }
    EXPECT_TRUE(server.services().engine.listTrustedDirs().empty());
}

TEST_F(ApiAccessTest, StreamOpensWithTheTokenInItsAddress) {
    test::TestServer server;
    test::EventStreamReader stream(server.port(), server.token());
    ASSERT_TRUE(stream.waitUntilConnected());
    EXPECT_EQ(stream.status(), 200);
    test::EventStreamReader refused(server.port(), "");
    ASSERT_TRUE(refused.waitUntilConnected());
    EXPECT_EQ(refused.status(), 401);
    EXPECT_EQ(server.services().hub.clientCount(), 1u);
}

TEST_F(ApiAccessTest, PageAndPreflightNeedNoToken) {
    test::TestServer server;
    auto client = server.clientWithoutToken();
    auto page = client->Get("/");
    ASSERT_TRUE(page);
    EXPECT_EQ(page->status, 200);
    EXPECT_EQ(page->body, "<h1>羽岚</h1>");
    auto preflight = client->Options("/api/delete");
    ASSERT_TRUE(preflight);
    EXPECT_EQ(preflight->status, 204);
    // A foreign origin is still refused first, token or not.
    auto foreign = server.client()->Get("/api/threats", {{"Origin", "http://evil.example"}});
    ASSERT_TRUE(foreign);
    EXPECT_EQ(foreign->status, 403);
}

TEST(PublishedApiToken, ReplacesTheLastRunsFileAndRemovesItsOwnAtExit) {
    test::TempDir dir;
    const std::string path = test::TempDir::toUtf8(dir.write("api-token", "the last run's token"));
    {
        PublishedApiToken published(path, "first");
        ASSERT_TRUE(published.published());
        EXPECT_EQ(test::readFile(path), "first");
    }
    EXPECT_FALSE(std::filesystem::exists(path));

    // Another run replaced it meanwhile: its file stays.
    {
        PublishedApiToken published(path, "mine");
        ASSERT_TRUE(published.published());
        dir.write("api-token", "theirs");
    }
    EXPECT_EQ(test::readFile(path), "theirs");

    PublishedApiToken nowhere(dir.str() + "/missing/api-token", "x");
    EXPECT_FALSE(nowhere.published());
    PublishedApiToken noToken(path, "");
    EXPECT_FALSE(noToken.published());
    EXPECT_EQ(test::readFile(path), "theirs");
}

TEST(PageAddress, CarriesTheTokenInTheFragment) {
    EXPECT_EQ(pageAddressWithToken("127.0.0.1", 8910, "ab12"), "http://127.0.0.1:8910/#token=ab12");
}

}  // namespace
}  // namespace quillvarden
