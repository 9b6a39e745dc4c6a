#include "server/http_server.h"

#include <mutex>
#include <string>

#include "platform/console.h"
#include "platform/listen_socket.h"
#include "server/event_stream_route.h"
#include "server/scan_routes.h"
#include "server/startup_wiring.h"
#include "server/threat_routes.h"
#include "server/trust_routes.h"
#include "server/web_root.h"

namespace quillvarden {

httplib::Server* httpServer = nullptr;
std::atomic<bool> serverReady{false};

namespace {

// Guards httpServer and activeHub against a stop request racing the server's end.
std::mutex serverMutex;
SseHub* activeHub = nullptr;
std::atomic<bool> stopRequested{false};

}  // namespace

void configureServer(httplib::Server& server, const std::shared_ptr<AppServices>& services,
                     const OriginPolicy& policy) {
    server.new_task_queue = [] { return new httplib::ThreadPool(kWorkerThreads); };
    server.set_socket_options([](socket_t sock) {
        platform::configureListenSocket(static_cast<std::intptr_t>(sock));
    });
    server.set_payload_max_length(kMaxRequestBodyBytes);

    const std::string webRoot = resolveWebRoot();
    if (!webRoot.empty()) server.set_mount_point("/", webRoot);

    // Routes in the order of the route table.
    installCrossOriginHandling(server, policy);
    registerScanRoutes(server, services);
    registerThreatRoutes(server, services);
    registerTrustRoutes(server, services);
    registerEventStreamRoute(server, services->hub);
}

bool RunHttpServer() {
    const std::shared_ptr<AppServices> services = wireServices();
    OriginPolicy policy(kListenPort);

    httplib::Server server;
    {
        std::lock_guard<std::mutex> lock(serverMutex);
        httpServer = &server;
        activeHub = &services->hub;
    }
    configureServer(server, services, policy);
    serverReady.store(true);

    bool bound = false;
    if (!stopRequested.load() && server.bind_to_port(kListenHost, kListenPort)) {
        bound = true;
        platform::writeOutLine("[羽岚 Quillvarden] 本地服务已启动：http://" + std::string(kListenHost) + ":" +
                               std::to_string(kListenPort) + "/");
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
