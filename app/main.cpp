// Runs the server in the foreground of a console until it is asked to stop.
#include <atomic>
#include <chrono>
#include <string>
#include <string_view>
#include <thread>

#include "platform/console.h"
#include "platform/stop_request.h"
#include "protection/protection_switches.h"
#include "server/http_server.h"

namespace {

std::atomic<bool> serverFinished{false};

}  // namespace

int main(int argc, char** argv) {
    using namespace quillvarden;
    platform::prepareConsole();
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--enable-autoblock") autoBlockEnabled.store(true);
    }
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
        platform::writeErrLine("[羽岚 Quillvarden] 无法监听 " + std::string(kListenHost) + ":" +
                               std::to_string(kListenPort) + "：端口已被占用或无权绑定，程序退出。");
        return 1;
    }
    platform::writeOutLine("[羽岚 Quillvarden] 服务已停止。");
    return 0;
}
