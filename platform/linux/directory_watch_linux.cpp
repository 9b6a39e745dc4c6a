#include "platform/directory_watch.h"

#include <dirent.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unordered_map>
#include <vector>

namespace quillvarden::platform {

namespace {

constexpr std::uint32_t kWatchMask = IN_CREATE | IN_MODIFY | IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM |
                                     IN_DELETE_SELF | IN_ONLYDIR | IN_DONT_FOLLOW | IN_EXCL_UNLINK;
constexpr std::size_t kReadBytes = 65536;
// A tree deeper than this is a link farm or an attack, not something to watch.
constexpr int kMaxDepth = 64;

std::string joinRelative(const std::string& directory, const char* name) {
    return directory.empty() ? std::string(name) : directory + "/" + name;
}

}  // namespace

struct DirectoryWatch::State {
    int inotifyFd = -1;
    int wakeFd = -1;
    int rootWatch = -1;
    bool rootGone = false;
    std::string root;
    // Watch descriptor to its directory, relative to the root ("" for the root).
    std::unordered_map<int, std::string> directories;
    std::vector<char> buffer = std::vector<char>(kReadBytes);

    ~State() {
        if (inotifyFd >= 0) ::close(inotifyFd);
        if (wakeFd >= 0) ::close(wakeFd);
    }

    // Watches a directory and everything below it. Files already inside a directory
    // that has just been created are reported as added: they were written before its
    // watch existed, and would otherwise never be seen.
    void watchTree(const std::string& relative, int depth, std::vector<DirectoryChange>* existing) {
        const std::string full = relative.empty() ? root : root + "/" + relative;
        const int wd = ::inotify_add_watch(inotifyFd, full.c_str(), kWatchMask);
        if (wd < 0) return;
        directories[wd] = relative;
        if (depth >= kMaxDepth) return;
        DIR* dir = ::opendir(full.c_str());
        if (!dir) return;
        while (const dirent* entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
            unsigned char type = entry->d_type;
            if (type == DT_UNKNOWN) {
                struct stat info {};
                const std::string child = full + "/" + entry->d_name;
                if (::lstat(child.c_str(), &info) == 0) type = S_ISDIR(info.st_mode) ? DT_DIR : DT_REG;
            }
            if (type == DT_DIR) {
                watchTree(joinRelative(relative, entry->d_name), depth + 1, existing);
            } else if (existing && type == DT_REG) {
                existing->push_back({DirectoryChangeKind::Added, joinRelative(relative, entry->d_name)});
            }
        }
        ::closedir(dir);
    }

    // A directory moved away or deleted: its watches (and those below it) go.
    void forgetTree(const std::string& relative) {
        const std::string prefix = relative + "/";
        for (auto it = directories.begin(); it != directories.end();) {
            if (it->first != rootWatch && (it->second == relative || it->second.rfind(prefix, 0) == 0)) {
                ::inotify_rm_watch(inotifyFd, it->first);
                it = directories.erase(it);
            } else {
                ++it;
            }
        }
    }
};

DirectoryWatch::DirectoryWatch() : state_(std::make_unique<State>()) {
    state_->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

DirectoryWatch::~DirectoryWatch() = default;

bool DirectoryWatch::open(const std::string& path) {
    if (state_->inotifyFd >= 0 || state_->wakeFd < 0 || path.empty()) return false;
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || ::access(path.c_str(), R_OK | X_OK) != 0) {
        return false;
    }
    state_->inotifyFd = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (state_->inotifyFd < 0) return false;
    state_->root = path;
    while (state_->root.size() > 1 && state_->root.back() == '/') state_->root.pop_back();
    state_->watchTree("", 0, nullptr);
    const auto root = std::find_if(state_->directories.begin(), state_->directories.end(),
                                   [](const auto& entry) { return entry.second.empty(); });
    if (root == state_->directories.end()) return false;
    state_->rootWatch = root->first;
    return true;
}

bool DirectoryWatch::arm() { return state_->inotifyFd >= 0 && !state_->rootGone; }

DirectoryWatch::Wait DirectoryWatch::wait(std::vector<DirectoryChange>& changes) {
    changes.clear();
    State& s = *state_;
    if (s.inotifyFd < 0 || s.rootGone) return Wait::Failed;
    for (;;) {
        pollfd fds[2] = {{s.inotifyFd, POLLIN, 0}, {s.wakeFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return Wait::Failed;
        }
        if (fds[1].revents) return Wait::Interrupted;
        const ssize_t got = ::read(s.inotifyFd, s.buffer.data(), s.buffer.size());
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return Wait::Failed;
        }
        for (ssize_t offset = 0; offset + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(s.buffer.data() + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (offset > got) break;
            if (event->mask & IN_Q_OVERFLOW) continue;  // lost, as with an overflowing buffer
            if (event->mask & (IN_DELETE_SELF | IN_IGNORED)) {
                if (event->wd == s.rootWatch) s.rootGone = true;
                s.directories.erase(event->wd);
                continue;
            }
            const auto dir = s.directories.find(event->wd);
            if (dir == s.directories.end() || event->len == 0) continue;
            const std::string relative = joinRelative(dir->second, event->name);
            if (event->mask & IN_ISDIR) {
                if (event->mask & IN_CREATE) s.watchTree(relative, 1, &changes);
                if (event->mask & IN_MOVED_TO) s.watchTree(relative, 1, nullptr);
                if (event->mask & IN_MOVED_FROM) s.forgetTree(relative);
                continue;
            }
            DirectoryChange change;
            if (event->mask & IN_CREATE) {
                change.kind = DirectoryChangeKind::Added;
            } else if (event->mask & (IN_MODIFY | IN_CLOSE_WRITE)) {
                change.kind = DirectoryChangeKind::Modified;
            } else if (event->mask & IN_MOVED_TO) {
                change.kind = DirectoryChangeKind::NewName;
            } else {
                continue;
            }
            change.name = relative;
            // A write and the close after it arrive together: one report, not two.
            if (!changes.empty() && changes.back().kind == change.kind && changes.back().name == change.name) {
                continue;
            }
            changes.push_back(std::move(change));
        }
        if (!changes.empty()) return Wait::Changes;
        if (s.rootGone) return Wait::Failed;
    }
}

void DirectoryWatch::interrupt() {
    if (state_->wakeFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(state_->wakeFd, &one, sizeof one);
    }
}

}  // namespace quillvarden::platform
