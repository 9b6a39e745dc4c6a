#include "protection/monitor_event_handler.h"

#include <thread>

#include "engine/detection_engine.h"
#include "platform/file_attributes.h"
#include "server/records/json_text.h"
#include "server/records/threat_list.h"

namespace quillvarden {

const char* fileActionLabelCn(FileAction action) {
    switch (action) {
        case FileAction::Created: return "新建";
        case FileAction::Modified: return "修改";
        default: return "";
    }
}

DirectoryMonitor::Callback makeMonitorEventHandler(DetectionEngine& engine, EventSink sink,
                                                   std::chrono::milliseconds settle) {
    return [&engine, sink = std::move(sink), settle](const FileEvent& event) {
        // A new name is not new content: the file was announced when it was written.
        if (event.action != FileAction::Created && event.action != FileAction::Modified) return;
        std::this_thread::sleep_for(settle);
        const platform::FileAttributes attributes = platform::fileAttributes(event.filePath);
        if (!attributes.exists || attributes.isDirectory) return;
        if (sink) {
            sink("monitor_event", dumpCompact({{"action", fileActionLabelCn(event.action)},
                                               {"filePath", event.filePath},
                                               {"fileName", event.fileName},
                                               {"timestampMs", event.timestampMs}}));
        }
        for (const ThreatInfo& threat : engine.scanFile(event.filePath)) {
            addThreat(threat);
            if (sink) sink("threat", dumpCompact(threat.toJson()));
        }
    };
}

}  // namespace quillvarden
