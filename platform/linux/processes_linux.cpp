#include "platform/processes.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <optional>


namespace quillvarden::platform {
namespace {

constexpr unsigned long kKernelThreadFlag = 0x00200000;  // PF_KTHREAD

// /proc files report a size of 0, so they are read until their end.
std::optional<std::string> readProcFile(const std::string& path, std::size_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::string text(maxBytes, '\0');
    std::size_t used = 0;
    while (used < maxBytes) {
        const ssize_t got = ::read(fd, text.data() + used, maxBytes - used);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        used += static_cast<std::size_t>(got);
    }
    ::close(fd);
    text.resize(used);
    return text;
}

std::string procPath(ProcessId pid, const char* entry) {
    return "/proc/" + std::to_string(pid) + "/" + entry;
}

std::string readLink(const std::string& path) {
    char buffer[4096];
    const ssize_t got = ::readlink(path.c_str(), buffer, sizeof buffer);
    if (got <= 0 || static_cast<std::size_t>(got) >= sizeof buffer) return {};
    return std::string(buffer, static_cast<std::size_t>(got));
}

struct StatFields {
    ProcessId parentPid = 0;
    unsigned long flags = 0;
};

// /proc/PID/stat: "pid (comm) state ppid pgrp session tty tpgid flags ..."; the
// command name may hold spaces and parentheses, so fields are counted after the last ')'.
std::optional<StatFields> readStat(ProcessId pid) {
    const auto text = readProcFile(procPath(pid, "stat"), 4096);
    if (!text) return std::nullopt;
    const auto close = text->rfind(')');
    if (close == std::string::npos) return std::nullopt;
    const char* cursor = text->c_str() + close + 1;
    StatFields fields;
    char* end = nullptr;
    for (int field = 3; field <= 9; ++field) {
        while (*cursor == ' ') ++cursor;
        if (!*cursor) return std::nullopt;
        if (field == 4) {
            fields.parentPid = static_cast<ProcessId>(std::strtoul(cursor, &end, 10));
        } else if (field == 9) {
            fields.flags = std::strtoul(cursor, &end, 10);
        }
        while (*cursor && *cursor != ' ') ++cursor;
    }
    return fields;
}

template <typename Visit>
void forEachProcess(Visit visit) {
    DIR* proc = ::opendir("/proc");
    if (!proc) return;
    while (const dirent* entry = ::readdir(proc)) {
        char* end = nullptr;
        const unsigned long pid = std::strtoul(entry->d_name, &end, 10);
        if (end == entry->d_name || *end != '\0' || pid == 0 || pid > 0xffffffffUL) continue;
        visit(static_cast<ProcessId>(pid));
    }
    ::closedir(proc);
}

int openPidfd(ProcessId pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, static_cast<pid_t>(pid), 0));
#else
    errno = ENOSYS;
    return -1;
#endif
}

int signalPidfd(int pidfd, int sig) {
#ifdef SYS_pidfd_send_signal
    return static_cast<int>(::syscall(SYS_pidfd_send_signal, pidfd, sig, nullptr, 0));
#else
    errno = ENOSYS;
    return -1;
#endif
}

}  // namespace

std::unordered_set<ProcessId> snapshotProcessIds() {
    std::unordered_set<ProcessId> pids;
    forEachProcess([&](ProcessId pid) { pids.insert(pid); });
    return pids;
}

std::vector<ProcessEntry> listProcesses() {
    std::vector<ProcessEntry> processes;
    forEachProcess([&](ProcessId pid) {
        ProcessEntry entry;
        entry.pid = pid;
        if (const auto stat = readStat(pid)) entry.parentPid = stat->parentPid;
        const std::string image = readLink(procPath(pid, "exe"));
        if (!image.empty()) {
            entry.exeName = image.substr(image.find_last_of('/') + 1);
        } else if (const auto comm = readProcFile(procPath(pid, "comm"), 64)) {
            entry.exeName = *comm;
            while (!entry.exeName.empty() && entry.exeName.back() == '\n') entry.exeName.pop_back();
        }
        processes.push_back(std::move(entry));
    });
    return processes;
}

ProcessId parentProcessId(ProcessId pid) {
    const auto stat = readStat(pid);
    return stat ? stat->parentPid : 0;
}

std::string processImagePath(ProcessId pid) {
    return readLink(procPath(pid, "exe"));
}

ProcessId currentProcessId() { return static_cast<ProcessId>(::getpid()); }

bool isEssentialSystemProcess(ProcessId pid) {
    if (pid <= 2) return true;  // init and the kernel's thread creator
    const auto stat = readStat(pid);
    return stat && ((stat->flags & kKernelThreadFlag) != 0 || stat->parentPid == 2);
}

ProcessHold::ProcessHold(ProcessId pid) : pid_(pid), handle_(-1) {
    const int fd = openPidfd(pid);
    if (fd >= 0) {
        handle_ = fd;
        held_ = true;
    } else if (errno == ENOSYS) {
        held_ = ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;  // no pidfds: best effort
    }
}

ProcessHold::~ProcessHold() {
    if (handle_ >= 0) ::close(static_cast<int>(handle_));
}

bool ProcessHold::valid() const { return held_; }

std::string ProcessHold::imagePath() const {
    if (!held_) return {};
    std::string image = processImagePath(pid_);
    // Read after the hold was taken: if the held process is still alive, the
    // identifier is still its own, and so was the image.
    if (handle_ >= 0 && signalPidfd(static_cast<int>(handle_), 0) != 0) return {};
    return image;
}

bool ProcessHold::terminate() {
    if (!held_) return false;
    if (handle_ >= 0) return signalPidfd(static_cast<int>(handle_), SIGKILL) == 0;
    return ::kill(static_cast<pid_t>(pid_), SIGKILL) == 0;
}

bool isProcessElevated() { return ::geteuid() == 0; }

}  // namespace quillvarden::platform
