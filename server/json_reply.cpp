#include "server/json_reply.h"

#include <string>

#include "server/records/json_text.h"

namespace quillvarden {

void replyJson(httplib::Response& res, const nlohmann::json& body, int status) {
    res.status = status;
    res.set_content(dumpCompact(body), kJsonContentType);
}

void replyJsonIndented(httplib::Response& res, const nlohmann::json& body, int status) {
    res.status = status;
    res.set_content(dumpIndented(body), kJsonContentType);
}

void replyError(httplib::Response& res, int status, std::string_view message) {
    replyJson(res, nlohmann::json{{"message", std::string(message)}, {"status", "error"}}, status);
}

void replyInvalidJsonFixed(httplib::Response& res) {
    res.status = 400;
    res.set_content(R"({"status":"error","message":"invalid JSON"})", "application/json");
}

void replyInvalidJsonBody(httplib::Response& res) {
    replyError(res, 400, "invalid JSON body");
}

}  // namespace quillvarden
