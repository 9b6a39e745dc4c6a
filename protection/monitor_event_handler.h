// The handler the server installs on the directory monitor: announces each new or
// written program file and scans it at once.
#pragma once

#include <chrono>

#include "protection/directory_monitor.h"
#include "protection/event_sink.h"

namespace quillvarden {

class DetectionEngine;

// "新建" for Created, "修改" for Modified; empty for the actions the handler ignores.
const char* fileActionLabelCn(FileAction action);

// settle: the pause that lets the writer finish before the file is read.
DirectoryMonitor::Callback makeMonitorEventHandler(DetectionEngine& engine, EventSink sink,
                                                   std::chrono::milliseconds settle = std::chrono::milliseconds(200));

}  // namespace quillvarden
