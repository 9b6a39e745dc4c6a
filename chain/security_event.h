// One observed action (a process start, a file write, a registry write, a
// connection, a driver load), the unit the attack-chain analysis works on.
#pragma once

#include <cstdint>
#include <string>

namespace quillvarden {

enum class EventKind : std::int32_t {
    ProcessCreate = 0,
    FileWrite = 1,
    RegistryWrite = 2,
    NetworkConnect = 3,
    DriverLoad = 4,
};

// "进程创建" … "驱动加载"; "未知事件" for any other value.
const char* eventKindLabel(EventKind kind);

struct SecurityEvent {
    std::int64_t timestampMs = 0;  // 0: unknown
    EventKind kind = EventKind::ProcessCreate;
    std::string processName;  // for registry events: the command
    std::string parentName;
    std::string processPath;  // for DriverLoad: the driver's path
    std::string target;       // file path, registry path, or host:port
    std::string detail;       // free text; threat-intelligence tags are looked for here
};

}  // namespace quillvarden
