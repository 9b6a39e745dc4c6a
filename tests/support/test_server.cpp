#include "tests/support/test_server.h"

#include <chrono>
#include <stdexcept>

#include "server/api_token.h"
#include "server/http_server.h"
#include "server/startup_wiring.h"

namespace quillvarden::test {

namespace {
AppServicesOptions quietOptions(SseHubLimits limits) {
    AppServicesOptions options;
    options.hubLimits = limits;
    options.autostartLocations = {};
    return options;
}
}  // namespace

TestServer::TestServer(SseHubLimits limits) : TestServer(quietOptions(limits)) {}

TestServer::TestServer(AppServicesOptions options)
    : services_(std::make_shared<AppServices>(std::move(options))), policy_(0, generateApiToken()) {
    configureServer(server_, services_, policy_);
    port_ = server_.bind_to_any_port("127.0.0.1");
    if (port_ <= 0) throw std::runtime_error("cannot bind a test port");
    policy_.setPort(port_);
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TestServer::~TestServer() {
    services_->hub.closeAll();
    server_.stop();
    thread_.join();
    shutdownServices(*services_);
}

std::unique_ptr<httplib::Client> TestServer::clientWithoutToken() const {
    auto client = std::make_unique<httplib::Client>("127.0.0.1", port_);
    client->set_connection_timeout(5);
    client->set_read_timeout(20);
    return client;
}

std::unique_ptr<httplib::Client> TestServer::client() const {
    auto client = clientWithoutToken();
    client->set_default_headers({{kApiTokenHeader, token()}});
    return client;
}

}  // namespace quillvarden::test
