#include "server/threat_routes.h"

#include <functional>
#include <string>

#include "engine/quarantine.h"
#include "server/json_reply.h"
#include "server/records/json_text.h"
#include "server/records/threat_list.h"

namespace quillvarden {
namespace {

// Quarantine and delete share their checks and replies; only the action and its mark differ.
httplib::Server::Handler fileActionHandler(const std::shared_ptr<AppServices>& services,
                                           std::function<bool(const std::string&)> act, ThreatMark mark,
                                           const char* event) {
    return [services, act = std::move(act), mark, event](const httplib::Request& req, httplib::Response& res) {
        const auto body = parseJsonBody(req.body);
        if (!body) return replyInvalidJsonFixed(res);
        const std::string path = body->value("filePath", std::string());
        if (path.empty()) return replyError(res, 400, "缺少 filePath");
        // The routes act for the person at the window on what a scan reported, never on
        // an arbitrary path that some local process names.
        if (!hasPendingThreatAt(path)) return replyError(res, 403, "只能处置扫描发现的威胁文件");
        const bool done = act(path);
        if (done) {
            markThreatsByPath(path, mark);  // the list's lock is released before broadcasting
            services->hub.broadcast(event, dumpCompact({{"filePath", path}}));
        }
        replyJson(res, {{"filePath", path}, {"status", done ? "ok" : "failed"}});
    };
}

}  // namespace

void registerThreatRoutes(httplib::Server& server, const std::shared_ptr<AppServices>& services) {
    server.Get("/api/threats", [](const httplib::Request&, httplib::Response& res) {
        const std::vector<ThreatInfo> threats = snapshotThreats();
        nlohmann::json list = nlohmann::json::array();
        for (const ThreatInfo& threat : threats) list.push_back(threat.toJson());
        replyJsonIndented(res, {{"count", threats.size()}, {"threats", std::move(list)}});
    });

    server.Delete("/api/threats", [](const httplib::Request&, httplib::Response& res) {
        clearThreats();
        replyJson(res, {{"status", "cleared"}});
    });

    server.Post("/api/quarantine",
                fileActionHandler(
                    services,
                    [services](const std::string& path) { return quarantineFileInto(path, services->quarantineDir); },
                    ThreatMark::Quarantined, "quarantined"));
    server.Post("/api/delete", fileActionHandler(services, deleteFile, ThreatMark::Deleted, "deleted"));
}

}  // namespace quillvarden
