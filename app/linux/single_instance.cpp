#include "app/linux/single_instance.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstdint>
#include <cstring>

namespace quillvarden {
namespace {

constexpr char kShowRequest[] = "show\n";
constexpr char kShowAnswer[] = "ok\n";
constexpr int kAnswerTimeoutMs = 3000;

bool fillAddress(const std::string& path, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, path.c_str(), path.size());
    return true;
}

}  // namespace

std::string SingleInstance::defaultDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && runtime[0] == '/') return std::string(runtime) + "/quillvarden";
    return "/tmp/quillvarden-" + std::to_string(::geteuid());
}

SingleInstance::SingleInstance(std::string directory) : directory_(std::move(directory)) {}

SingleInstance::~SingleInstance() { release(); }

SingleInstance::Claim SingleInstance::claim(std::function<void()> onShow) {
    ::mkdir(directory_.c_str(), 0700);
    lockFd_ = ::open((directory_ + "/instance.lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd_ >= 0 && ::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        ::close(lockFd_);
        lockFd_ = -1;
        return askFirstToShow() ? Claim::OtherAnswered : Claim::OtherSilent;
    }
    // Without a lock file (an unwritable folder) this instance simply runs alone.
    onShow_ = std::move(onShow);
    const std::string socketPath = directory_ + "/instance.sock";
    sockaddr_un address{};
    if (!fillAddress(socketPath, address)) return Claim::First;
    ::unlink(socketPath.c_str());  // a previous instance's, since the lock was free
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    wakeFd_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (listenFd_ < 0 || wakeFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, 4) != 0) {
        return Claim::First;
    }
    ::chmod(socketPath.c_str(), 0600);
    listener_ = std::thread([this] { listen(); });
    return Claim::First;
}

void SingleInstance::listen() {
    for (;;) {
        pollfd fds[2] = {{listenFd_, POLLIN, 0}, {wakeFd_, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR) continue;
            return;
        }
        if (fds[1].revents) return;
        const int client = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (client < 0) continue;
        char request[16] = {};
        pollfd in{client, POLLIN, 0};
        if (::poll(&in, 1, kAnswerTimeoutMs) > 0 && ::read(client, request, sizeof request - 1) > 0 &&
            std::strcmp(request, kShowRequest) == 0) {
            if (onShow_) onShow_();
            [[maybe_unused]] const ssize_t sent = ::write(client, kShowAnswer, sizeof kShowAnswer - 1);
        }
        ::close(client);
    }
}

bool SingleInstance::askFirstToShow() const {
    sockaddr_un address{};
    if (!fillAddress(directory_ + "/instance.sock", address)) return false;
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return false;
    bool answered = false;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        ::write(fd, kShowRequest, sizeof kShowRequest - 1) == static_cast<ssize_t>(sizeof kShowRequest - 1)) {
        pollfd in{fd, POLLIN, 0};
        char answer[8] = {};
        answered = ::poll(&in, 1, kAnswerTimeoutMs) > 0 && ::read(fd, answer, sizeof answer - 1) > 0 &&
                   std::strcmp(answer, kShowAnswer) == 0;
    }
    ::close(fd);
    return answered;
}

void SingleInstance::release() {
    if (wakeFd_ >= 0) {
        const std::uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
    }
    if (listener_.joinable()) listener_.join();
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        ::unlink((directory_ + "/instance.sock").c_str());
        listenFd_ = -1;
    }
    if (wakeFd_ >= 0) {
        ::close(wakeFd_);
        wakeFd_ = -1;
    }
    if (lockFd_ >= 0) {
        ::close(lockFd_);  // closing the descriptor drops the lock
        lockFd_ = -1;
    }
}

bool SingleInstance::heldByAnother() const {
    const int fd = ::open((directory_ + "/instance.lock").c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

}  // namespace quillvarden
