// Starts a program as a child of the test and watches how it ends.
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quillvarden::test {

class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& args);
    ~ChildProcess();  // ends it if it still runs
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool started() const { return pid_ != 0; }
    std::uint32_t pid() const { return pid_; }
    // The exit code (on Linux 128 + the signal for a killed child), or nothing while
    // it still runs after the timeout.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);

private:
    std::uint32_t pid_ = 0;
    std::intptr_t handle_ = 0;
    std::optional<int> exitCode_;
};

// The test-only sleeper program built beside the test binary.
std::string sleeperProgram();

}  // namespace quillvarden::test
