// Who may use the local server: the program's own page (the origin and host checks
// stop other web pages and DNS rebinding) holding this run's API token (which stops
// every other local process, of this user or another).
#pragma once

#include <string>

#include <httplib.h>

#include "server/cross_origin.h"

namespace quillvarden {

class AccessPolicy {
public:
    AccessPolicy(int port, std::string token) : origin_(port), token_(std::move(token)) {}

    void setPort(int port) { origin_.setPort(port); }
    const OriginPolicy& origin() const { return origin_; }
    const std::string& token() const { return token_; }

private:
    OriginPolicy origin_;
    const std::string token_;
};

// Before any route or file: a foreign origin or host gets 403 "forbidden origin"; an
// API or event-stream request without the token gets 401 "未授权的请求".
void installAccessControl(httplib::Server& server, const AccessPolicy& policy);

}  // namespace quillvarden
