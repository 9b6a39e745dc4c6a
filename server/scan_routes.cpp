#include "server/scan_routes.h"

#include <string>
#include <thread>

#include "platform/console.h"
#include "platform/file_attributes.h"
#include "server/json_reply.h"
#include "server/records/json_text.h"
#include "server/records/threat_list.h"

namespace quillvarden {
namespace {

void broadcastJson(SseHub& hub, const char* event, const nlohmann::json& data) {
    hub.broadcast(event, dumpCompact(data));
}

void reportThreat(AppServices& services, const ThreatInfo& record) {
    addThreat(record);
    broadcastJson(services.hub, "threat", record.toJson());
}

void runDirectoryJob(AppServices& services, const std::string& path, ScanTicket ticket) {
    services.engine.runDirectoryScan(
        ticket, path, [&](const ThreatInfo& record) { reportThreat(services, record); },
        [&](const ScanProgress& progress) {
            {
                std::lock_guard<std::mutex> lock(services.progressMutex);
                services.lastProgress = progress;
            }
            broadcastJson(services.hub, "progress", progress.toJson());
        });
}

void runFileJob(AppServices& services, const std::string& path) {
    ScanProgress progress{1, 0, 0, true, path};
    broadcastJson(services.hub, "progress", progress.toJson());
    const std::vector<ThreatInfo> records = services.engine.scanFileGuarded(path);
    for (const ThreatInfo& record : records) reportThreat(services, record);
    progress = ScanProgress{1, 1, static_cast<std::int64_t>(records.size()), false, ""};
    broadcastJson(services.hub, "progress", progress.toJson());
}

// The worker owns a shared reference to everything it uses.
void startScanJob(const std::shared_ptr<AppServices>& services, const std::string& path, bool isDir,
                  ScanTicket ticket) {
    std::thread([services, path, isDir, ticket] {
        ScanJobs::Token token(services->scanJobs);
        try {
            if (isDir) {
                runDirectoryJob(*services, path, ticket);
            } else {
                runFileJob(*services, path);
            }
        } catch (...) {
            // Nothing may escape a thread; the page still learns that the scan ended.
            platform::writeErrLine("[羽岚 Quillvarden] 扫描任务异常结束：" + path);
        }
        broadcastJson(services->hub, "scan_done", {{"status", "done"}});
    }).detach();
}

}  // namespace

void registerScanRoutes(httplib::Server& server, const std::shared_ptr<AppServices>& services) {
    server.Post("/api/scan", [services](const httplib::Request& req, httplib::Response& res) {
        DetectionEngine& engine = services->engine;
        if (engine.scanning.load()) return replyError(res, 409, "扫描正在进行中，请等待完成");
        const auto body = parseJsonBody(req.body);
        if (!body) return replyInvalidJsonBody(res);
        const std::string path = body->value("path", std::string());
        if (path.empty()) return replyError(res, 400, "缺少 path 字段");
        const platform::FileAttributes attributes = platform::fileAttributes(path);
        if (!attributes.exists) return replyError(res, 404, "路径不存在：" + path);

        // Claimed here, not in the worker: two requests in quick succession must not
        // both start a directory scan.
        ScanTicket ticket = 0;
        if (attributes.isDirectory) {
            ticket = engine.tryBeginDirectoryScan();
            if (ticket == 0) return replyError(res, 409, "扫描正在进行中，请等待完成");
        }
        broadcastJson(services->hub, "scan_start", {{"path", path}});
        try {
            startScanJob(services, path, attributes.isDirectory, ticket);
        } catch (...) {
            if (attributes.isDirectory) engine.stopDirectoryScan();
            throw;
        }
        replyJson(res, {{"isDir", attributes.isDirectory}, {"path", path}, {"status", "started"}});
    });

    server.Post("/api/scan/stop", [services](const httplib::Request&, httplib::Response& res) {
        services->engine.stopDirectoryScan();
        replyJson(res, {{"status", "stopped"}});
    });

    server.Get("/api/scan/progress", [services](const httplib::Request&, httplib::Response& res) {
        ScanProgress progress;
        {
            std::lock_guard<std::mutex> lock(services->progressMutex);
            progress = services->lastProgress;
        }
        replyJson(res, progress.toJson());
    });
}

}  // namespace quillvarden
