// A real server with the program's configuration on a free loopback port.
#pragma once

#include <memory>
#include <thread>

#include <httplib.h>

#include "server/app_services.h"
#include "server/access_control.h"
#include "tests/support/event_stream_reader.h"

namespace quillvarden::test {

class TestServer {
public:
    explicit TestServer(SseHubLimits limits = {});
    // Autostart locations default to none here: a test that watches names its own.
    explicit TestServer(AppServicesOptions options);
    ~TestServer();

    int port() const { return port_; }
    AppServices& services() { return *services_; }
    const std::shared_ptr<AppServices>& sharedServices() const { return services_; }
    // This server's API token.
    const std::string& token() const { return policy_.token(); }
    // A client whose Host header names this server and that sends the token, as the
    // program's own page would.
    std::unique_ptr<httplib::Client> client() const;
    // The same without the token.
    std::unique_ptr<httplib::Client> clientWithoutToken() const;

private:
    std::shared_ptr<AppServices> services_;
    AccessPolicy policy_;
    httplib::Server server_;
    std::thread thread_;
    int port_ = -1;
};

}  // namespace quillvarden::test
