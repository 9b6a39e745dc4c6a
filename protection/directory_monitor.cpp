#include "protection/directory_monitor.h"

#include <future>

#include "platform/ascii_text.h"
#include "platform/console.h"
#include "platform/directory_watch.h"
#include "platform/process_paths.h"
#include "protection/guarded_call.h"
#include "server/records/wall_clock.h"

namespace quillvarden {

std::set<std::string> monitoredExtensions() {
    return {".exe", ".dll", ".scr", ".bat", ".ps1", ".cmd", ".vbs", ".js", ".msi", ".com", ".pif", ".hta"};
}

DirectoryMonitor::DirectoryMonitor() = default;

DirectoryMonitor::~DirectoryMonitor() { stop(); }

bool DirectoryMonitor::start(const std::string& path, Callback callback) {
    std::lock_guard<std::mutex> control(controlMutex_);
    if (running_.load()) stopLocked();
    callback_ = std::move(callback);
    auto directory = std::make_unique<platform::DirectoryWatch>();
    if (!directory->open(path)) {
        platform::writeErrLine("[文件监控] 无法打开目录：" + path);
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(mutex_);
        watchDir_ = path;
    }
    directory_ = std::move(directory);
    running_.store(true);
    // Started means watching: the thread has armed the watch before start returns, so
    // a file written right after the reply is not missed.
    std::promise<void> armed;
    std::future<void> ready = armed.get_future();
    thread_ = std::thread([this, watch = directory_.get(), armed = std::move(armed)]() mutable {
        watch->arm();
        armed.set_value();
        this->watch(*watch);
    });
    ready.wait();
    platform::writeOutLine("[文件监控] 已启动，监控目录：" + path);
    return true;
}

void DirectoryMonitor::stop() {
    std::lock_guard<std::mutex> control(controlMutex_);
    stopLocked();
}

void DirectoryMonitor::stopLocked() {
    if (!running_.exchange(false)) return;
    if (directory_) directory_->interrupt();
    if (thread_.joinable()) thread_.join();
    directory_.reset();
    platform::writeOutLine("[文件监控] 已停止。");
}

std::string DirectoryMonitor::watchDir() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return watchDir_;
}

void DirectoryMonitor::setExtensions(std::set<std::string> extensions) {
    std::lock_guard<std::mutex> lock(mutex_);
    extensions_ = std::move(extensions);
}

bool DirectoryMonitor::passesFilter(const std::string& name) const {
    std::lock_guard<std::mutex> lock(mutex_);
    if (extensions_.empty()) return true;
    // On the whole relative name: a dot only in a directory component leaves a
    // separator in the suffix, which no extension holds.
    const auto dot = name.rfind('.');
    if (dot == std::string::npos) return false;
    return extensions_.count(toLowerAscii(std::string_view(name).substr(dot))) > 0;
}

void DirectoryMonitor::watch(platform::DirectoryWatch& directory) {
    std::vector<platform::DirectoryChange> changes;
    while (running_.load()) {
        if (directory.wait(changes) != platform::DirectoryWatch::Wait::Changes) break;
        for (const platform::DirectoryChange& change : changes) {
            if (!running_.load()) break;
            if (!passesFilter(change.name)) continue;
            FileEvent event;
            switch (change.kind) {
                case platform::DirectoryChangeKind::Added: event.action = FileAction::Created; break;
                case platform::DirectoryChangeKind::Modified: event.action = FileAction::Modified; break;
                case platform::DirectoryChangeKind::NewName: event.action = FileAction::NewName; break;
            }
            event.fileName = change.name;
            event.filePath = watchDir() + platform::kPathSeparator + change.name;
            event.timestampMs = nowMs();
            if (!callback_) continue;
            callGuarded(callback_, event, "[文件监控] 处理文件事件时出错：", event.filePath);
        }
    }
}

}  // namespace quillvarden
