#include "tests/e2e/desktop_support.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace quillvarden::e2e {

bool desktopEnvironment() {
    const char* flag = std::getenv("QV_DESKTOP_TESTS");
    const char* display = std::getenv("DISPLAY");
    return flag && *flag == '1' && display && *display;
}

std::string capture(const std::vector<std::string>& argv, int* status) {
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) return {};
    const pid_t child = ::fork();
    if (child == 0) {
        ::dup2(pipeFds[1], 1);
        const int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 2);
        ::close(pipeFds[0]);
        std::vector<char*> raw;
        for (const auto& a : argv) raw.push_back(const_cast<char*>(a.c_str()));
        raw.push_back(nullptr);
        ::execvp(raw[0], raw.data());
        ::_exit(127);
    }
    ::close(pipeFds[1]);
    std::string output;
    char buffer[4096];
    for (ssize_t got; (got = ::read(pipeFds[0], buffer, sizeof buffer)) > 0;) output.append(buffer, got);
    ::close(pipeFds[0]);
    int result = 0;
    ::waitpid(child, &result, 0);
    if (status) *status = WIFEXITED(result) ? WEXITSTATUS(result) : 128 + WTERMSIG(result);
    return output;
}

std::string artefactDirectory() {
    const char* dir = std::getenv("QV_ARTEFACTS");
    return dir && *dir ? dir : "/tmp";
}

}  // namespace quillvarden::e2e
