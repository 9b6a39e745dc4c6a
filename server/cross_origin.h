// Cross-origin handling. The three permissive headers go on every response, but the
// server only acts for its own page: a request from another origin, or one that names
// another host (DNS rebinding), is refused before any route sees it (access_control.h).
#pragma once

#include <atomic>

#include <httplib.h>

namespace quillvarden {

class OriginPolicy {
public:
    explicit OriginPolicy(int port = 8910) : port_(port) {}

    // The port the server listens on; the only one its own page can come from.
    void setPort(int port) { port_.store(port); }
    int port() const { return port_.load(); }

    // True when the Host header names 127.0.0.1 or localhost on our port and the
    // Origin header, if present, is http:// one of those.
    bool allows(const httplib::Request& req) const;

private:
    std::atomic<int> port_;
};

// Adds the cross-origin headers to every response, each exactly once; answers OPTIONS
// on any path with 204.
void installCrossOriginHandling(httplib::Server& server);

}  // namespace quillvarden
