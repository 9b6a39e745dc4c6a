#include "server/protection_routes.h"

#include <string>
#include <thread>

#include "platform/file_attributes.h"
#include "protection/host_hooks.h"
#include "protection/monitor_event_handler.h"
#include "protection/protection_switches.h"
#include "server/json_reply.h"
#include "server/records/json_text.h"

namespace quillvarden {
namespace {

using nlohmann::json;

bool autostartRunning(AppServices& services) {
    return protectionEnabled.load() && services.registryMonitor.isRunning();
}

bool execRunning(AppServices& services) {
    return execProtectionEnabled.load() && services.processMonitor.isRunning();
}

json protectionStatus(AppServices& services) {
    return {{"autoBlock", autoBlockEnabled.load()}, {"running", autostartRunning(services)}};
}

void handleMonitor(AppServices& services, const httplib::Request& req, httplib::Response& res) {
    const auto body = parseJsonBody(req.body);
    if (!body) return replyInvalidJsonFixed(res);
    const std::string action = body->value("action", std::string());
    if (action == "stop") {
        services.directoryMonitor.stop();
        services.hub.broadcast("monitor_status", dumpCompact({{"running", false}}));
        return replyJson(res, {{"status", "stopped"}});
    }
    if (action != "start") return replyError(res, 400, "action 必须是 start 或 stop");
    const std::string path = body->value("path", std::string());
    if (path.empty()) return replyError(res, 400, "缺少 path 字段");
    if (!platform::isDirectory(path)) return replyError(res, 400, "路径不是有效目录：" + path);
    if (!services.directoryMonitor.start(path, makeMonitorEventHandler(services.engine, services.eventSink()))) {
        return replyError(res, 500, "监控启动失败");
    }
    services.hub.broadcast("monitor_status", dumpCompact({{"path", path}, {"running", true}}));
    replyJson(res, {{"path", path}, {"status", "started"}});
}

void handleProtection(const std::shared_ptr<AppServices>& services, const httplib::Request& req,
                      httplib::Response& res) {
    const auto body = parseJsonBody(req.body);
    if (!body) return replyInvalidJsonFixed(res);
    const std::string action = body->value("action", std::string());
    if (action == "start") {
        protectionEnabled.store(true);
        services->startAutostartProtection();
    } else if (action == "stop") {
        protectionEnabled.store(false);
        services->registryMonitor.stop();
    } else if (action == "autoblock") {
        const bool enabled = body->value("enabled", false);
        if (!enabled) {
            autoBlockEnabled.store(false);
        } else if (services->isElevated && services->isElevated()) {
            autoBlockEnabled.store(true);
        } else {
            replyJson(res, {{"autoBlock", false}, {"running", autostartRunning(*services)}, {"status", "elevating"}});
            // The host asks the user for administrator rights; this instance carries on
            // if they decline.
            std::thread([] { requestElevatedRelaunch(); }).detach();
            return;
        }
    } else {
        return replyError(res, 400, "action 必须是 start / stop / autoblock");
    }
    json status = protectionStatus(*services);
    services->hub.broadcast("protection_status", dumpCompact(status));
    status["status"] = "ok";
    replyJson(res, status);
}

void handleExecProtection(AppServices& services, const httplib::Request& req, httplib::Response& res) {
    const auto body = parseJsonBody(req.body);
    if (!body) return replyInvalidJsonFixed(res);
    const std::string action = body->value("action", std::string());
    if (action == "start") {
        execProtectionEnabled.store(true);
        services.startExecProtection();
    } else if (action == "stop") {
        execProtectionEnabled.store(false);
        services.processMonitor.stop();
    } else {
        return replyError(res, 400, "action 必须是 start 或 stop");
    }
    const bool running = execRunning(services);
    services.hub.broadcast("exec_protection_status", dumpCompact({{"running", running}}));
    replyJson(res, {{"running", running}, {"status", "ok"}});
}

}  // namespace

void registerProtectionRoutes(httplib::Server& server, const std::shared_ptr<AppServices>& services) {
    server.Post("/api/monitor", [services](const httplib::Request& req, httplib::Response& res) {
        handleMonitor(*services, req, res);
    });
    server.Get("/api/monitor/status", [services](const httplib::Request&, httplib::Response& res) {
        replyJson(res, {{"running", services->directoryMonitor.isRunning()},
                        {"watchDir", services->directoryMonitor.watchDir()}});
    });
    server.Post("/api/protection", [services](const httplib::Request& req, httplib::Response& res) {
        handleProtection(services, req, res);
    });
    server.Get("/api/protection/status", [services](const httplib::Request&, httplib::Response& res) {
        replyJson(res, protectionStatus(*services));
    });
    server.Post("/api/exec-protection", [services](const httplib::Request& req, httplib::Response& res) {
        handleExecProtection(*services, req, res);
    });
    server.Get("/api/exec-protection/status", [services](const httplib::Request&, httplib::Response& res) {
        replyJson(res, {{"running", execRunning(*services)}});
    });
}

}  // namespace quillvarden
