#include "platform/file_io.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <random>

namespace quillvarden::platform {
namespace {

int fd(std::intptr_t handle) { return static_cast<int>(handle); }

bool writeAll(int out, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(out, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

// Copies to a new file (never over an existing one), flushed to disk.
bool copyToNewFile(const std::string& from, const std::string& to, mode_t mode) {
    const int in = ::open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    const int out = ::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (out < 0) {
        ::close(in);
        return false;
    }
    bool ok = true;
    char buffer[64 * 1024];
    for (;;) {
        const ssize_t got = ::read(in, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) {
            ok = got == 0;
            break;
        }
        if (!writeAll(out, buffer, static_cast<std::size_t>(got))) {
            ok = false;
            break;
        }
    }
    ok = ok && ::fsync(out) == 0;
    ok = (::close(out) == 0) && ok;
    ::close(in);
    if (!ok) ::unlink(to.c_str());
    return ok;
}

std::string directoryPart(const std::string& path) {
    const auto cut = path.find_last_of('/');
    if (cut == std::string::npos) return ".";
    return cut == 0 ? "/" : path.substr(0, cut);
}

void syncDirectory(const std::string& dir) {
    const int d = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (d < 0) return;
    ::fsync(d);
    ::close(d);
}

}  // namespace

FileReader::~FileReader() {
    if (isOpen()) ::close(fd(handle_));
}

bool FileReader::open(const std::string& path) {
    if (isOpen()) ::close(fd(handle_));
    handle_ = kClosed;
    if (path.empty()) return false;
    const int opened = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (opened < 0) return false;
    struct stat info {};
    // Only regular files: reading a FIFO or a device could block or never end.
    if (::fstat(opened, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(opened);
        return false;
    }
    handle_ = opened;
    return true;
}

std::size_t FileReader::read(void* buffer, std::size_t size) {
    if (!isOpen()) return 0;
    for (;;) {
        const ssize_t got = ::read(fd(handle_), buffer, size);
        if (got < 0 && errno == EINTR) continue;
        return got > 0 ? static_cast<std::size_t>(got) : 0;
    }
}

std::optional<std::uint64_t> FileReader::size() const {
    struct stat info {};
    if (!isOpen() || ::fstat(fd(handle_), &info) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

std::optional<std::uint64_t> fileSize(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::stat(path.c_str(), &info) != 0) return std::nullopt;
    return static_cast<std::uint64_t>(info.st_size);
}

bool createDirectory(const std::string& path) {
    return !path.empty() && ::mkdir(path.c_str(), 0755) == 0;
}

bool moveFileNoReplace(const std::string& from, const std::string& to) {
    struct stat info {};
    if (::lstat(from.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
    const mode_t keptMode = info.st_mode & 0666;  // never executable once quarantined

    bool moved = ::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0;
    if (!moved && (errno == EINVAL || errno == ENOSYS)) {
        // The file system cannot rename without replacing: a hard link refuses an
        // existing name just the same.
        if (::link(from.c_str(), to.c_str()) == 0) {
            moved = ::unlink(from.c_str()) == 0;
            if (!moved) {
                ::unlink(to.c_str());
                errno = EPERM;
            }
        }
    }
    if (!moved && errno == EXDEV && S_ISREG(info.st_mode)) {
        moved = copyToNewFile(from, to, keptMode);
        if (moved && ::unlink(from.c_str()) != 0) {
            ::unlink(to.c_str());  // the original could not go: do not leave two copies
            moved = false;
        }
    }
    if (moved) ::chmod(to.c_str(), keptMode);
    return moved;
}

bool removeFile(const std::string& path) {
    struct stat info {};
    if (path.empty() || ::lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
    if (S_ISREG(info.st_mode) && (info.st_mode & 0222) == 0) return false;  // read-only
    return ::unlink(path.c_str()) == 0;
}

bool replaceFileContent(const std::string& path, std::string_view content, FileAccess access) {
    std::random_device random;
    const std::string temporary = path + ".tmp-" + std::to_string(random());
    const mode_t mode = access == FileAccess::OwnerOnly ? 0600 : 0644;
    const int out = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (out < 0) return false;
    // The umask can only take bits away; an owner-only file must not depend on it either way.
    bool ok = access != FileAccess::OwnerOnly || ::fchmod(out, 0600) == 0;
    ok = ok && writeAll(out, content.data(), content.size()) && ::fsync(out) == 0;
    ok = (::close(out) == 0) && ok;
    ok = ok && ::rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    syncDirectory(directoryPart(path));
    return true;
}

}  // namespace quillvarden::platform
