// The server thread's body: wiring, then serving the API, the event stream and the
// web interface on 127.0.0.1:8910 until the host stops it.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <memory>

#include <httplib.h>

#include "server/app_services.h"
#include "server/access_control.h"

namespace quillvarden {

// Set while the server object exists, so that the host can stop it.
extern httplib::Server* httpServer;
// Set once every route is installed, before listening; never cleared.
extern std::atomic<bool> serverReady;

// Whether 127.0.0.1:8910 was bound: the host waits for this rather than for
// serverReady alone, so that a taken port is reported instead of a window that
// cannot load its page.
enum class BindOutcome { Pending, Bound, Failed };
extern std::atomic<BindOutcome> serverBindOutcome;

inline constexpr const char* kListenHost = "127.0.0.1";
inline constexpr int kListenPort = 8910;

// Open event streams each hold a worker; this many leave plenty for the API even with
// every allowed stream open.
inline constexpr std::size_t kWorkerThreads = 40;
// Request bodies are small JSON objects; anything larger is refused (413).
inline constexpr std::size_t kMaxRequestBodyBytes = 1 << 20;

struct ServeOptions {
    // Without a window nobody else can hand the page its token: the console line then
    // gives the whole address, token included, to open in a browser.
    bool announceTokenAddress = true;
    // How long to keep trying to bind while the port is taken: an elevated copy waits
    // for the copy it replaces to let the port go.
    std::chrono::milliseconds bindPatience{0};
};

// Returns when serving has stopped; false when 127.0.0.1:8910 could not be bound.
// Every API request needs this run's token (processApiToken), which is published in
// the file "api-token" beside the executable while the server listens.
bool RunHttpServer(const ServeOptions& options = {});

// Stops a running server from any thread (the host, a console stop request). Also
// ends the open event streams, so that stopping does not wait for their keep-alive.
// A request that arrives before the server listens is remembered.
void requestServerStop();

// Serving-phase set-up of a constructed server: web root, access control, cross-origin
// handling, the routes in table order, the worker pool and socket options. Tests use
// it on a server of their own. The policy must outlive the server.
void configureServer(httplib::Server& server, const std::shared_ptr<AppServices>& services,
                     const AccessPolicy& policy);

}  // namespace quillvarden
