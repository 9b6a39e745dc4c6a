// One desktop instance per user: a lock in the runtime folder, and a local socket
// through which a second start asks the first to show its window.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>

namespace quillvarden {

class SingleInstance {
public:
    // directory: where the lock and the socket live ($XDG_RUNTIME_DIR/quillvarden,
    // else a folder of this user's in the temporary folder).
    explicit SingleInstance(std::string directory = defaultDirectory());
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    enum class Claim {
        First,          // this is the only instance now
        OtherAnswered,  // another instance runs and was asked to show its window
        OtherSilent,    // another instance holds the lock but did not answer in time
    };
    // onShow runs on a listener thread whenever a later start asks.
    Claim claim(std::function<void()> onShow);

    // Lets go of the lock and the socket (before an elevated copy takes over).
    void release();
    // Whether some process (another copy) holds the lock now.
    bool heldByAnother() const;

    static std::string defaultDirectory();

private:
    bool askFirstToShow() const;
    void listen();

    std::string directory_;
    int lockFd_ = -1;
    int listenFd_ = -1;
    int wakeFd_ = -1;
    std::thread listener_;
    std::function<void()> onShow_;
};

}  // namespace quillvarden
