#include "tests/support/child_process.h"

#include <thread>

#include "platform/process_paths.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/wide_string.h"
#else
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace quillvarden::test {

std::string sleeperProgram() {
#ifdef _WIN32
    return platform::executableDirectory() + "\\qv_sleeper.exe";
#else
    return platform::executableDirectory() + "/qv_sleeper";
#endif
}

#ifdef _WIN32

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args) {
    std::wstring commandLine = L"\"" + platform::win32::widen(program) + L"\"";
    for (const std::string& arg : args) commandLine += L" " + platform::win32::widen(arg);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (CreateProcessW(platform::win32::widen(program).c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0,
                       nullptr, nullptr, &startup, &info)) {
        CloseHandle(info.hThread);
        pid_ = info.dwProcessId;
        handle_ = reinterpret_cast<std::intptr_t>(info.hProcess);
    }
}

ChildProcess::~ChildProcess() {
    if (!handle_) return;
    if (!exitCode_) {
        TerminateProcess(reinterpret_cast<HANDLE>(handle_), 99);
        WaitForSingleObject(reinterpret_cast<HANDLE>(handle_), 5000);
    }
    CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    if (exitCode_ || !handle_) return exitCode_;
    if (WaitForSingleObject(reinterpret_cast<HANDLE>(handle_), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) {
        return std::nullopt;
    }
    DWORD code = 0;
    GetExitCodeProcess(reinterpret_cast<HANDLE>(handle_), &code);
    exitCode_ = static_cast<int>(code);
    return exitCode_;
}

#else

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args) {
    std::vector<std::string> argv = {program};
    argv.insert(argv.end(), args.begin(), args.end());
    const pid_t child = ::fork();
    if (child == 0) {
        std::vector<char*> raw;
        for (auto& a : argv) raw.push_back(a.data());
        raw.push_back(nullptr);
        ::execv(program.c_str(), raw.data());
        ::_exit(127);
    }
    if (child > 0) pid_ = static_cast<std::uint32_t>(child);
}

ChildProcess::~ChildProcess() {
    if (!pid_ || exitCode_) return;
    ::kill(static_cast<pid_t>(pid_), SIGKILL);
    waitForExit(std::chrono::seconds(5));
}

std::optional<int> ChildProcess::waitForExit(std::chrono::milliseconds timeout) {
    if (exitCode_ || !pid_) return exitCode_;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        if (::waitpid(static_cast<pid_t>(pid_), &status, WNOHANG) == static_cast<pid_t>(pid_)) {
            exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return exitCode_;
        }
        if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

#endif

}  // namespace quillvarden::test
