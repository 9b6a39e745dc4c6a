#include "chain/security_event.h"

namespace quillvarden {

const char* eventKindLabel(EventKind kind) {
    switch (kind) {
        case EventKind::ProcessCreate: return "进程创建";
        case EventKind::FileWrite: return "文件写入";
        case EventKind::RegistryWrite: return "注册表写入";
        case EventKind::NetworkConnect: return "网络外联";
        case EventKind::DriverLoad: return "驱动加载";
        default: return "未知事件";
    }
}

}  // namespace quillvarden
