#include "server/trust_routes.h"

#include <string>

#include "server/json_reply.h"
#include "server/records/json_text.h"

namespace quillvarden {
namespace {

nlohmann::json trustedDirs(DetectionEngine& engine) {
    return engine.listTrustedDirs();
}

// POST adds, DELETE removes; both answer with the list after the change.
httplib::Server::Handler trustChangeHandler(const std::shared_ptr<AppServices>& services, bool add) {
    return [services, add](const httplib::Request& req, httplib::Response& res) {
        const auto body = parseJsonBody(req.body);
        if (!body) return replyInvalidJsonFixed(res);
        const std::string path = body->value("path", std::string());
        if (path.empty()) return replyError(res, 400, "缺少 path");
        DetectionEngine& engine = services->engine;
        const char* status = add ? (engine.addTrustedDir(path) == 1 ? "ok" : "exists")
                                 : (engine.removeTrustedDir(path) ? "ok" : "notfound");
        replyJson(res, {{"dirs", trustedDirs(engine)}, {"path", path}, {"status", status}});
    };
}

}  // namespace

void registerTrustRoutes(httplib::Server& server, const std::shared_ptr<AppServices>& services) {
    server.Get("/api/trust", [services](const httplib::Request&, httplib::Response& res) {
        const nlohmann::json dirs = trustedDirs(services->engine);
        replyJson(res, {{"count", dirs.size()}, {"dirs", dirs}});
    });
    server.Post("/api/trust", trustChangeHandler(services, true));
    server.Delete("/api/trust", trustChangeHandler(services, false));
}

}  // namespace quillvarden
