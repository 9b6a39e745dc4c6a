// A real server with the program's configuration on a free loopback port.
#pragma once

#include <memory>
#include <thread>

#include <httplib.h>

#include "server/app_services.h"
#include "server/cross_origin.h"
#include "tests/support/event_stream_reader.h"

namespace quillvarden::test {

class TestServer {
public:
    explicit TestServer(SseHubLimits limits = {});
    ~TestServer();

    int port() const { return port_; }
    AppServices& services() { return *services_; }
    const std::shared_ptr<AppServices>& sharedServices() const { return services_; }
    // A client whose Host header names this server, as the program's own page would.
    std::unique_ptr<httplib::Client> client() const;

private:
    std::shared_ptr<AppServices> services_;
    OriginPolicy policy_;
    httplib::Server server_;
    std::thread thread_;
    int port_ = -1;
};

}  // namespace quillvarden::test
