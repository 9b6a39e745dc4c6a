#include "platform/processes.h"

#include <windows.h>
#include <tlhelp32.h>

#include "platform/win32/wide_string.h"

namespace quillvarden::platform {
namespace {

constexpr DWORD kImagePathUnits = 520;

template <typename Visit>
bool forEachProcess(Visit visit) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return false;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32FirstW(snapshot, &entry); more; more = Process32NextW(snapshot, &entry)) {
        visit(entry);
    }
    CloseHandle(snapshot);
    return true;
}

std::string imagePathOf(HANDLE process) {
    wchar_t buffer[kImagePathUnits];
    DWORD length = kImagePathUnits;
    if (!QueryFullProcessImageNameW(process, 0, buffer, &length) || length == 0) return {};
    return win32::narrow(std::wstring_view(buffer, length));
}

}  // namespace

std::unordered_set<ProcessId> snapshotProcessIds() {
    std::unordered_set<ProcessId> pids;
    forEachProcess([&](const PROCESSENTRY32W& entry) { pids.insert(entry.th32ProcessID); });
    return pids;
}

std::vector<ProcessEntry> listProcesses() {
    std::vector<ProcessEntry> processes;
    forEachProcess([&](const PROCESSENTRY32W& entry) {
        processes.push_back({entry.th32ProcessID, entry.th32ParentProcessID, win32::narrow(entry.szExeFile)});
    });
    return processes;
}

ProcessId parentProcessId(ProcessId pid) {
    ProcessId parent = 0;
    forEachProcess([&](const PROCESSENTRY32W& entry) {
        if (entry.th32ProcessID == pid) parent = entry.th32ParentProcessID;
    });
    return parent;
}

std::string processImagePath(ProcessId pid) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    if (!process) return {};
    std::string path = imagePathOf(process);
    CloseHandle(process);
    return path;
}

ProcessId currentProcessId() { return GetCurrentProcessId(); }

bool isEssentialSystemProcess(ProcessId pid) { return pid == 0 || pid == 4; }

ProcessHold::ProcessHold(ProcessId pid) : pid_(pid), handle_(0) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    handle_ = reinterpret_cast<std::intptr_t>(process);
    held_ = process != nullptr;
}

ProcessHold::~ProcessHold() {
    if (held_) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

bool ProcessHold::valid() const { return held_; }

std::string ProcessHold::imagePath() const {
    return held_ ? imagePathOf(reinterpret_cast<HANDLE>(handle_)) : std::string();
}

bool ProcessHold::terminate() {
    // While the query handle is held the identifier cannot be reused, so opening it
    // again for termination reaches the same process.
    HANDLE process = OpenProcess(PROCESS_TERMINATE, FALSE, pid_);
    if (!process) return false;
    const bool ended = TerminateProcess(process, 1) != 0;
    CloseHandle(process);
    return ended;
}

bool isProcessElevated() {
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const bool ok = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) != 0;
    CloseHandle(token);
    return ok && elevation.TokenIsElevated != 0;
}

}  // namespace quillvarden::platform
