#include "platform/autostart_store.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string_view>

#include "platform/directory_listing.h"
#include "platform/file_io.h"

namespace quillvarden::platform {
namespace {

// Desktop entries are small; a larger file is read this far.
constexpr std::size_t kMaxEntryBytes = 64 * 1024;

// Not IN_CREATE: an entry is read once its writer has closed it, never half-written.
constexpr std::uint32_t kFolderMask =
    IN_CLOSE_WRITE | IN_MOVED_TO | IN_MOVED_FROM | IN_DELETE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;
constexpr std::uint32_t kParentMask = IN_CREATE | IN_MOVED_TO | IN_ONLYDIR;

bool isDesktopEntryName(std::string_view name) {
    constexpr std::string_view suffix = ".desktop";
    return name.size() > suffix.size() && name.substr(name.size() - suffix.size()) == suffix;
}

std::string entryPath(const AutostartLocation& location, const std::string& valueName) {
    return location.keyPath + "/" + valueName;
}

// The Exec= value of the [Desktop Entry] group: the command the session runs.
std::string execLine(std::string_view text) {
    bool inEntryGroup = false;
    while (!text.empty()) {
        const auto end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty() && line.front() == '[') {
            inEntryGroup = line == "[Desktop Entry]";
            continue;
        }
        if (!inEntryGroup) continue;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) continue;
        std::string_view key = line.substr(0, equals);
        while (!key.empty() && (key.back() == ' ' || key.back() == '\t')) key.remove_suffix(1);
        if (key != "Exec") continue;
        std::string_view value = line.substr(equals + 1);
        while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
        return std::string(value);
    }
    return {};
}

std::string parentOf(const std::string& folder) {
    const auto cut = folder.find_last_of('/');
    if (cut == std::string::npos) return ".";
    return cut == 0 ? "/" : folder.substr(0, cut);
}

std::string lastComponent(const std::string& folder) {
    const auto cut = folder.find_last_of('/');
    return cut == std::string::npos ? folder : folder.substr(cut + 1);
}

}  // namespace

std::vector<AutostartLocation> defaultAutostartLocations() {
    std::string user;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') {
        user = std::string(config) + "/autostart";
    } else if (const char* home = std::getenv("HOME"); home && home[0] == '/') {
        user = std::string(home) + "/.config/autostart";
    }
    std::vector<AutostartLocation> locations;
    if (!user.empty()) locations.push_back({"user", user});
    locations.push_back({"system", "/etc/xdg/autostart"});
    return locations;
}

AutostartValues readAutostartValues(const AutostartLocation& location) {
    AutostartValues values;
    std::vector<DirectoryEntry> entries;
    if (!listDirectory(location.keyPath, entries)) return values;
    for (const DirectoryEntry& entry : entries) {
        if (entry.isDirectory || !isDesktopEntryName(entry.name)) continue;
        const std::string path = entryPath(location, entry.name);
        const auto text = readFilePrefix(path, kMaxEntryBytes);
        if (text) {
            values[entry.name] = execLine(*text);
            continue;
        }
        // Gone since the listing: not there. Present but unreadable: it still counts,
        // as a session may be able to read it.
        struct stat info {};
        if (::lstat(path.c_str(), &info) == 0) values[entry.name] = std::string();
    }
    return values;
}

bool autostartValueExists(const AutostartLocation& location, const std::string& valueName) {
    struct stat info {};
    return !valueName.empty() && valueName.find('/') == std::string::npos &&
           ::lstat(entryPath(location, valueName).c_str(), &info) == 0;
}

bool revokeAutostartValue(const AutostartLocation& location, const std::string& valueName,
                          const SetAside& setAside) {
    // Value names come from a listing of the folder: never a path of their own.
    if (valueName.empty() || valueName.find('/') != std::string::npos || valueName == "." || valueName == "..") {
        return false;
    }
    struct stat folder {};
    if (::stat(location.keyPath.c_str(), &folder) != 0 || !S_ISDIR(folder.st_mode) ||
        ::access(location.keyPath.c_str(), W_OK | X_OK) != 0) {
        return false;
    }
    if (autostartValueExists(location, valueName) && setAside) setAside(entryPath(location, valueName));
    return !autostartValueExists(location, valueName);
}

struct AutostartWatch::State {
    std::vector<AutostartLocation> locations;
    std::vector<int> folderWatches;  // -1 when the folder is not watched
    std::vector<int> parentWatches;  // waits for a missing folder to appear
    int inotifyFd = -1;
    int wakeFd = -1;
    bool interrupted = false;

    ~State() {
        if (inotifyFd >= 0) ::close(inotifyFd);
        if (wakeFd >= 0) ::close(wakeFd);
    }
};

AutostartWatch::AutostartWatch(std::vector<AutostartLocation> locations) : state_(std::make_unique<State>()) {
    state_->folderWatches.assign(locations.size(), -1);
    state_->parentWatches.assign(locations.size(), -1);
    state_->locations = std::move(locations);
    state_->inotifyFd = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    state_->wakeFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
}

AutostartWatch::~AutostartWatch() = default;

bool AutostartWatch::arm(std::size_t index) {
    State& s = *state_;
    if (index >= s.locations.size() || s.inotifyFd < 0) return false;
    if (s.folderWatches[index] >= 0) return true;  // inotify stays armed by itself
    const std::string& folder = s.locations[index].keyPath;
    const int wd = ::inotify_add_watch(s.inotifyFd, folder.c_str(), kFolderMask);
    if (wd >= 0) {
        s.folderWatches[index] = wd;
        return true;
    }
    // A folder that does not exist yet is where a program adding itself would create
    // it: watch its parent for that.
    if (s.parentWatches[index] < 0) {
        s.parentWatches[index] = ::inotify_add_watch(s.inotifyFd, parentOf(folder).c_str(), kParentMask);
    }
    return s.parentWatches[index] >= 0;
}

AutostartWatch::Wait AutostartWatch::wait(std::vector<std::size_t>& changed) {
    changed.clear();
    State& s = *state_;
    if (s.inotifyFd < 0 || s.wakeFd < 0) return Wait::Failed;
    if (s.interrupted) return Wait::Interrupted;
    alignas(inotify_event) char buffer[16384];
    for (;;) {
        pollfd fds[2] = {{s.inotifyFd, POLLIN, 0}, {s.wakeFd, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return Wait::Failed;
        }
        if (fds[1].revents) {
            s.interrupted = true;
            return Wait::Interrupted;
        }
        const ssize_t got = ::read(s.inotifyFd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR || errno == EAGAIN) continue;
            return Wait::Failed;
        }
        std::vector<bool> hit(s.locations.size(), false);
        for (ssize_t offset = 0; offset + static_cast<ssize_t>(sizeof(inotify_event)) <= got;) {
            const auto* event = reinterpret_cast<const inotify_event*>(buffer + offset);
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
            if (offset > got) break;
            for (std::size_t i = 0; i < s.locations.size(); ++i) {
                if (event->mask & IN_Q_OVERFLOW) {
                    hit[i] = true;  // something was missed everywhere: compare all
                } else if (event->wd == s.folderWatches[i]) {
                    hit[i] = true;
                    if (event->mask & (IN_IGNORED | IN_DELETE_SELF | IN_MOVE_SELF)) {
                        if (!(event->mask & IN_IGNORED)) ::inotify_rm_watch(s.inotifyFd, event->wd);
                        s.folderWatches[i] = -1;  // arm() falls back to the parent
                    }
                } else if (event->wd == s.parentWatches[i] && event->len > 0 &&
                           lastComponent(s.locations[i].keyPath) == event->name) {
                    hit[i] = true;
                }
            }
        }
        for (std::size_t i = 0; i < hit.size(); ++i) {
            if (hit[i]) changed.push_back(i);
        }
        if (!changed.empty()) return Wait::Changes;
    }
}

void AutostartWatch::interrupt() {
    if (state_->wakeFd >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(state_->wakeFd, &one, sizeof one);
    }
}

}  // namespace quillvarden::platform
