#include "server/access_control.h"

#include "server/api_token.h"
#include "server/json_reply.h"

namespace quillvarden {

void installAccessControl(httplib::Server& server, const AccessPolicy& policy) {
    server.set_pre_routing_handler([&policy](const httplib::Request& req, httplib::Response& res) {
        if (!policy.origin().allows(req)) {
            replyError(res, 403, "forbidden origin");
            return httplib::Server::HandlerResponse::Handled;
        }
        if (requestNeedsApiToken(req) && !requestPresentsApiToken(req, policy.token())) {
            replyError(res, 401, "未授权的请求");
            return httplib::Server::HandlerResponse::Handled;
        }
        return httplib::Server::HandlerResponse::Unhandled;
    });
}

}  // namespace quillvarden
