// The server runs on a thread of its own; the desktop host waits until it listens
// before it shows a window that would load the page from it.
#pragma once

#include <chrono>
#include <thread>

#include "server/http_server.h"

namespace quillvarden {

class ServerThread {
public:
    ServerThread() = default;
    ~ServerThread();  // stops the server and waits a moment for its shutdown
    ServerThread(const ServerThread&) = delete;
    ServerThread& operator=(const ServerThread&) = delete;

    // Starts RunHttpServer and waits until it listens (true) or could not bind the
    // port (false). No time-out: wiring may take long (a local model loads first).
    bool start(const ServeOptions& options);

    // Stops serving and waits up to the time given for the thread to finish, so that
    // the token file is gone and the monitors are stopped when the process ends.
    void stop(std::chrono::milliseconds patience = std::chrono::seconds(10));

private:
    std::thread thread_;
};

}  // namespace quillvarden
