// The system's processes: listing, image paths, ending them, and this process's
// own standing. Toolhelp snapshots and process handles on Windows, /proc and pidfds
// on Linux.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

namespace quillvarden::platform {

using ProcessId = std::uint32_t;

// Every current process identifier; empty when the list cannot be taken.
std::unordered_set<ProcessId> snapshotProcessIds();

struct ProcessEntry {
    ProcessId pid = 0;
    ProcessId parentPid = 0;
    // The executable's file name as the system lists it (Toolhelp's szExeFile; on
    // Linux the name of /proc/PID/exe's target, else the command name).
    std::string exeName;
};
std::vector<ProcessEntry> listProcesses();

// The parent's identifier; 0 when it cannot be read.
ProcessId parentProcessId(ProcessId pid);

// The full image path, letter case as the system gives it; empty when it cannot be
// read (the process has ended, is protected, or is a kernel thread).
std::string processImagePath(ProcessId pid);

// This process.
ProcessId currentProcessId();

// Processes that must never be ended, whatever their image: the system's idle and
// kernel processes (0 and 4) on Windows; init (1) and kernel threads on Linux.
bool isEssentialSystemProcess(ProcessId pid);

// A hold on one process, taken when it is first seen, so that a later end reaches
// that process and never one that reused its identifier meanwhile (a pidfd on
// Linux; on Windows an open handle keeps the identifier from being reused).
class ProcessHold {
public:
    explicit ProcessHold(ProcessId pid);
    ~ProcessHold();
    ProcessHold(const ProcessHold&) = delete;
    ProcessHold& operator=(const ProcessHold&) = delete;

    ProcessId pid() const { return pid_; }
    // The process still existed when the hold was taken.
    bool valid() const;
    // As processImagePath, but never the image of a process that reused the identifier.
    std::string imagePath() const;
    // Ends the process (exit code 1 on Windows, SIGKILL on Linux); true when the
    // system accepted it.
    bool terminate();

private:
    ProcessId pid_;
    std::intptr_t handle_;
    bool held_ = false;
};

// The process runs with administrator rights (a full elevated token on Windows; an
// effective user id of 0 on Linux).
bool isProcessElevated();

}  // namespace quillvarden::platform
