#include "app/console_runner.h"

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/console.h"
#include "platform/stop_request.h"
#include "server/http_server.h"

namespace quillvarden {

namespace {
std::atomic<bool> serverFinished{false};
}  // namespace

void reportPortTaken() {
    platform::writeErrLine("[羽岚 Quillvarden] 无法监听 " + std::string(kListenHost) + ":" +
                           std::to_string(kListenPort) + "：端口已被占用或无权绑定，程序退出。");
}

int runHeadless() {
    platform::installStopHandler([] {
        // A stop can land between binding and listening, when there is nothing to stop
        // yet; repeat until serving has ended.
        while (!serverFinished.load()) {
            requestServerStop();
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
    });
    const bool served = RunHttpServer();
    serverFinished.store(true);
    if (!served) {
        reportPortTaken();
        return 1;
    }
    platform::writeOutLine("[羽岚 Quillvarden] 服务已停止。");
    return 0;
}

}  // namespace quillvarden
