#include "server/http_server.h"

#include <mutex>
#include <thread>
#include <string>

#include "platform/console.h"
#include "platform/listen_socket.h"
#include "server/api_token.h"
#include "server/api_token_file.h"
#include "server/event_stream_route.h"
#include "server/health_route.h"
#include "server/protection_routes.h"
#include "server/quarantine_routes.h"
#include "server/scan_routes.h"
#include "server/startup_wiring.h"
#include "server/threat_routes.h"
#include "server/trust_routes.h"
#include "server/web_root.h"

namespace quillvarden {

httplib::Server* httpServer = nullptr;
std::atomic<bool> serverReady{false};
std::atomic<BindOutcome> serverBindOutcome{BindOutcome::Pending};

namespace {

// Guards httpServer and activeHub against a stop request racing the server's end.
std::mutex serverMutex;
SseHub* activeHub = nullptr;
std::atomic<bool> stopRequested{false};

}  // namespace

void configureServer(httplib::Server& server, const std::shared_ptr<AppServices>& services,
                     const AccessPolicy& policy) {
    server.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    server.set_socket_options([](socket_t sock) {
        platform::configureListenSocket(static_cast<std::intptr_t>(sock));
    });
    server.set_payload_max_length(kMaxRequestBodyBytes);

    const std::string webRoot = resolveWebRoot();
    if (!webRoot.empty()) server.set_mount_point("/", webRoot);

    // Routes in the order of the route table.
    installAccessControl(server, policy);
    installCrossOriginHandling(server);
    registerHealthRoute(server, services);
    registerScanRoutes(server, services);
    registerThreatRoutes(server, services);
    registerQuarantineRoutes(server, services);
    registerTrustRoutes(server, services);
    registerProtectionRoutes(server, services);
    registerEventStreamRoute(server, services->hub);
}

bool RunHttpServer(const ServeOptions& options) {
    const std::string& token = processApiToken();
    if (token.empty()) {
        platform::writeErrLine("[羽岚 Quillvarden] 无法从系统随机源生成访问令牌，本地接口将拒绝所有请求。");
    }
    const std::shared_ptr<AppServices> services = wireServices();
    AccessPolicy policy(kListenPort, token);

    httplib::Server server;
    {
        std::lock_guard<std::mutex> lock(serverMutex);
        httpServer = &server;
        activeHub = &services->hub;
    }
    configureServer(server, services, policy);
    serverReady.store(true);

    bool bound = false;
    const auto giveUp = std::chrono::steady_clock::now() + options.bindPatience;
    while (!stopRequested.load()) {
        bound = server.bind_to_port(kListenHost, kListenPort);
        if (bound || std::chrono::steady_clock::now() >= giveUp) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    serverBindOutcome.store(bound ? BindOutcome::Bound : BindOutcome::Failed);
    if (bound) {
        // Published only once the port is ours: a second copy that cannot bind must not
        // replace the token of the one that serves.
        const std::string tokenPath = apiTokenFilePath();
        PublishedApiToken tokenFile(tokenPath, token);
        if (!tokenFile.published()) {
            platform::writeErrLine("[羽岚 Quillvarden] 无法写入访问令牌文件" +
                                   (tokenPath.empty() ? std::string() : " " + tokenPath) + "。");
        }
        const std::string address = options.announceTokenAddress
                                        ? pageAddressWithToken(kListenHost, kListenPort, token)
                                        : "http://" + std::string(kListenHost) + ":" + std::to_string(kListenPort) + "/";
        platform::writeOutLine("[羽岚 Quillvarden] 本地服务已启动：" + address);
        server.listen_after_bind();
    }

    {
        std::lock_guard<std::mutex> lock(serverMutex);
        httpServer = nullptr;
        activeHub = nullptr;
    }
    shutdownServices(*services);
    return bound || stopRequested.load();
}

void requestServerStop() {
    stopRequested.store(true);
    std::lock_guard<std::mutex> lock(serverMutex);
    if (activeHub) activeHub->closeAll();
    if (httpServer && httpServer->is_running()) httpServer->stop();
}

}  // namespace quillvarden
