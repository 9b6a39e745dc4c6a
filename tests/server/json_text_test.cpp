#include <gtest/gtest.h>

#include <httplib.h>

#include "server/json_reply.h"
#include "server/records/json_text.h"

namespace quillvarden {
namespace {

TEST(JsonText, SortsKeysByBytesAndKeepsUtf8Raw) {
    nlohmann::json value;
    value["zeta"] = 1;
    value["Zeta"] = 2;
    value["路径"] = "C:\\用户\\a.exe";
    value["alpha"] = nlohmann::json::array({true, nullptr});
    EXPECT_EQ(dumpCompact(value),
              R"({"Zeta":2,"alpha":[true,null],"zeta":1,"路径":"C:\\用户\\a.exe"})");
    EXPECT_EQ(dumpIndented(nlohmann::json{{"b", 1}, {"a", nlohmann::json::array({1})}}),
              "{\n  \"a\": [\n    1\n  ],\n  \"b\": 1\n}");
}

TEST(JsonText, InvalidUtf8IsReplacedNotThrown) {
    const nlohmann::json value = {{"filePath", std::string("/tmp/\xff\xfe.exe")}};
    EXPECT_EQ(dumpCompact(value), "{\"filePath\":\"/tmp/\xEF\xBF\xBD\xEF\xBF\xBD.exe\"}");
}

TEST(JsonText, ParseBodyTellsJsonFromText) {
    struct Case {
        const char* body;
        bool isJson;
    };
    const Case cases[] = {
        {"", false},           {"not json", false}, {"{\"path\":", false}, {"{}", true},
        {"null", true},        {"[1,2]", true},     {" {\"a\":1} ", true}, {"\"text\"", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(parseJsonBody(c.body).has_value(), c.isJson) << '"' << c.body << '"';
    }
}

TEST(JsonReply, FixedRepliesAreExact) {
    httplib::Response fixed;
    replyInvalidJsonFixed(fixed);
    EXPECT_EQ(fixed.status, 400);
    EXPECT_EQ(fixed.body, R"({"status":"error","message":"invalid JSON"})");
    EXPECT_EQ(fixed.body.size(), 43u);
    EXPECT_EQ(fixed.get_header_value("Content-Type"), "application/json");

    httplib::Response scan;
    replyInvalidJsonBody(scan);
    EXPECT_EQ(scan.status, 400);
    EXPECT_EQ(scan.body, R"({"message":"invalid JSON body","status":"error"})");
    EXPECT_EQ(scan.get_header_value("Content-Type"), "application/json; charset=utf-8");

    httplib::Response error;
    replyError(error, 404, "路径不存在：x");
    EXPECT_EQ(error.status, 404);
    EXPECT_EQ(error.body, R"({"message":"路径不存在：x","status":"error"})");
}

}  // namespace
}  // namespace quillvarden
