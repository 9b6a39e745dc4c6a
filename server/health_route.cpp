#include "server/health_route.h"

#include "protection/protection_switches.h"
#include "server/json_reply.h"

namespace quillvarden {

nlohmann::json healthReport(AppServices& services) {
    const bool ruleMode = services.narration.ruleMode != 0;
    return {{"aiEngine", services.narration.narrator ? services.narration.narrator->name() : std::string()},
            {"aiMode", ruleMode ? "rule" : "ai"},
            {"aiModeCn", ruleMode ? "规则降级模式（无模型）" : "AI 模式（本地大模型）"},
            {"app", "Quillvarden Antivirus"},
            {"execProtection", execProtectionEnabled.load() && services.processMonitor.isRunning()},
            {"modelName", services.narration.modelName},
            {"monitoring", services.directoryMonitor.isRunning()},
            {"protection", protectionEnabled.load() && services.registryMonitor.isRunning()},
            {"scanning", services.engine.scanning.load()},
            {"sseClients", services.hub.clientCount()},
            {"status", "ok"}};
}

void registerHealthRoute(httplib::Server& server, const std::shared_ptr<AppServices>& services) {
    server.Get("/api/health", [services](const httplib::Request&, httplib::Response& res) {
        replyJson(res, healthReport(*services));
    });
}

}  // namespace quillvarden
