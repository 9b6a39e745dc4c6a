#include "app/linux/elevated_relaunch.h"

#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "app/linux/single_instance.h"
#include "platform/console.h"
#include "platform/process_paths.h"

namespace quillvarden {
namespace {

// pkexec clears the environment: the elevated copy needs the user's display, session
// bus and, above all, the user's autostart folder rather than root's.
std::vector<std::string> relaunchCommand() {
    std::vector<std::string> command = {"pkexec", "env"};
    char cwd[4096];
    if (::getcwd(cwd, sizeof cwd)) command.push_back(std::string("--chdir=") + cwd);
    for (const char* name : {"DISPLAY", "XAUTHORITY", "WAYLAND_DISPLAY", "XDG_RUNTIME_DIR", "DBUS_SESSION_BUS_ADDRESS",
                             "XDG_CONFIG_HOME", "HOME", "LANG"}) {
        if (const char* value = std::getenv(name)) command.push_back(std::string(name) + "=" + value);
    }
    if (!std::getenv("XDG_CONFIG_HOME")) {
        if (const char* home = std::getenv("HOME"))
            command.push_back(std::string("XDG_CONFIG_HOME=") + home + "/.config");
    }
    command.push_back(platform::executablePath());
    command.push_back("--enable-autoblock");
    command.push_back("--takeover");
    return command;
}

pid_t spawn(const std::vector<std::string>& command) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> argv;
        for (const std::string& part : command) argv.push_back(const_cast<char*>(part.c_str()));
        argv.push_back(nullptr);
        ::execvp(argv[0], argv.data());
        ::_exit(127);
    }
    return child;
}

}  // namespace

void startElevatedRelaunch(std::shared_ptr<SingleInstance> instance, std::function<void()> onHandedOver,
                           std::function<void()> onShowRequest) {
    std::thread([instance = std::move(instance), onHandedOver = std::move(onHandedOver),
                 onShowRequest = std::move(onShowRequest)] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));  // the reply that asked leaves first
        instance->release();
        const pid_t child = spawn(relaunchCommand());
        bool handedOver = false;
        while (child > 0) {
            if (instance->heldByAnother()) {
                handedOver = true;
                break;
            }
            int status = 0;
            if (::waitpid(child, &status, WNOHANG) == child) {
                // pkexec ended: declined (126), failed (127), or the copy has already run
                // and gone; only a lock held by the new copy counts as success.
                handedOver = instance->heldByAnother();
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        if (handedOver) {
            platform::writeOutLine("[羽岚 Quillvarden] 已以管理员身份重新启动，本实例退出。");
            onHandedOver();
            return;
        }
        platform::writeErrLine("[羽岚 Quillvarden] 未能以管理员身份重新启动（已取消或失败），继续以当前权限运行。");
        instance->claim(onShowRequest);
    }).detach();
}

}  // namespace quillvarden
