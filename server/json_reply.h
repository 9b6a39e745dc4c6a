// Replies of the JSON routes.
#pragma once

#include <string_view>

#include <httplib.h>
#include <nlohmann/json.hpp>

namespace quillvarden {

inline constexpr const char* kJsonContentType = "application/json; charset=utf-8";

void replyJson(httplib::Response& res, const nlohmann::json& body, int status = 200);
void replyJsonIndented(httplib::Response& res, const nlohmann::json& body, int status = 200);

// {"message": message, "status": "error"}
void replyError(httplib::Response& res, int status, std::string_view message);

// The fixed 400 reply of the file, trust and protection routes to a body that is not
// JSON: the exact text {"status":"error","message":"invalid JSON"} as "application/json".
void replyInvalidJsonFixed(httplib::Response& res);

// The scan route's 400 reply to a body that is not JSON.
void replyInvalidJsonBody(httplib::Response& res);

}  // namespace quillvarden
