// Change notifications for one directory tree: overlapped ReadDirectoryChangesW on
// Windows, inotify over every subdirectory on Linux.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace quillvarden::platform {

enum class DirectoryChangeKind {
    Added,     // a file was created
    Modified,  // a file was written
    NewName,   // a file was renamed or moved to this name
};

struct DirectoryChange {
    DirectoryChangeKind kind = DirectoryChangeKind::Added;
    // Relative to the watched directory, with the system's separator between
    // components; empty when the system's name could not be converted.
    std::string name;
};

class DirectoryWatch {
public:
    DirectoryWatch();
    ~DirectoryWatch();
    DirectoryWatch(const DirectoryWatch&) = delete;
    DirectoryWatch& operator=(const DirectoryWatch&) = delete;

    // Starts watching the tree; false when the directory cannot be opened.
    bool open(const std::string& path);

    // Starts collecting changes now (the system's buffer fills from here on); wait()
    // arms by itself when this was not called. On the thread that will wait: Windows
    // ends a thread's pending reads with the thread.
    bool arm();

    enum class Wait {
        Changes,      // changes (possibly none: the system's buffer overflowed and they were lost)
        Interrupted,  // interrupt() was called
        Failed,       // watching cannot go on (the directory is gone, the read failed)
    };
    // Blocks until changes arrive or interrupt() is called; replaces changes.
    Wait wait(std::vector<DirectoryChange>& changes);

    // Wakes wait() from any thread; every later wait() returns Interrupted too.
    void interrupt();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace quillvarden::platform
