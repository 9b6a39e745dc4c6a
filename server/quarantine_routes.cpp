#include "server/quarantine_routes.h"

#include <string>

#include "engine/quarantine_vault.h"
#include "server/json_reply.h"
#include "server/records/json_text.h"

namespace quillvarden {
namespace {

using nlohmann::json;

// The body's "name", or a reply that says why there is none to act on.
bool readName(const httplib::Request& req, httplib::Response& res, std::string& name) {
    const auto body = parseJsonBody(req.body);
    if (!body) {
        replyInvalidJsonFixed(res);
        return false;
    }
    name = body->value("name", std::string());
    if (name.empty()) {
        replyError(res, 400, "缺少 name");
        return false;
    }
    if (!isQuarantineName(name)) {
        replyError(res, 400, "无效的隔离文件名：" + name);
        return false;
    }
    return true;
}

void replyOutcome(httplib::Response& res, QuarantineOutcome outcome, const std::string& name,
                  const std::string& originalPath) {
    switch (outcome) {
        case QuarantineOutcome::NotFound: return replyError(res, 404, "隔离区中没有这个文件：" + name);
        case QuarantineOutcome::NoRecord:
            return replyError(res, 422, "没有这个文件的原始位置记录，无法恢复（可以永久删除）：" + name);
        case QuarantineOutcome::TargetExists:
            return replyError(res, 409, "原位置已有同名文件，为免覆盖未恢复：" + originalPath);
        case QuarantineOutcome::InvalidName: return replyError(res, 400, "无效的隔离文件名：" + name);
        default: return replyError(res, 500, "操作失败：" + name);
    }
}

}  // namespace

void registerQuarantineRoutes(httplib::Server& server, const std::shared_ptr<AppServices>& services) {
    server.Get("/api/quarantine", [services](const httplib::Request&, httplib::Response& res) {
        json items = json::array();
        for (const QuarantineEntry& entry : listQuarantine(services->quarantineDir)) {
            items.push_back({{"name", entry.name},
                             {"originalPath", entry.originalPath},
                             {"quarantinedAtMs", entry.quarantinedAtMs},
                             {"size", entry.size}});
        }
        replyJson(res, {{"count", items.size()}, {"items", items}});
    });

    server.Post("/api/quarantine/restore", [services](const httplib::Request& req, httplib::Response& res) {
        std::string name;
        if (!readName(req, res, name)) return;
        std::string originalPath;
        const QuarantineOutcome outcome = restoreFromQuarantine(services->quarantineDir, name, originalPath);
        if (outcome != QuarantineOutcome::Done) return replyOutcome(res, outcome, name, originalPath);
        services->hub.broadcast("quarantine_restored",
                                dumpCompact({{"name", name}, {"originalPath", originalPath}}));
        replyJson(res, {{"name", name}, {"originalPath", originalPath}, {"status", "restored"}});
    });

    server.Post("/api/quarantine/purge", [services](const httplib::Request& req, httplib::Response& res) {
        std::string name;
        if (!readName(req, res, name)) return;
        const QuarantineOutcome outcome = purgeFromQuarantine(services->quarantineDir, name);
        if (outcome != QuarantineOutcome::Done) return replyOutcome(res, outcome, name, {});
        services->hub.broadcast("quarantine_purged", dumpCompact({{"name", name}}));
        replyJson(res, {{"name", name}, {"status", "purged"}});
    });
}

}  // namespace quillvarden
