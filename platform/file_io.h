// Reading, writing, moving and removing files by UTF-8 path.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillvarden::platform {

// A file opened for reading raw bytes, closed with the object. Others may keep
// writing or deleting it meanwhile (an antivirus must not lock the files it reads).
class FileReader {
public:
    FileReader() = default;
    ~FileReader();
    FileReader(const FileReader&) = delete;
    FileReader& operator=(const FileReader&) = delete;

    bool open(const std::string& path);
    bool isOpen() const { return handle_ != kClosed; }
    // Up to size bytes; 0 at the end of the file or on a read error.
    std::size_t read(void* buffer, std::size_t size);
    // As many of size bytes as the file still holds: fewer only at its end.
    std::size_t readFully(void* buffer, std::size_t size);
    std::optional<std::uint64_t> size() const;

private:
    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t handle_ = kClosed;
};

// At most maxBytes from the start of the file; nothing when it cannot be opened.
std::optional<std::string> readFilePrefix(const std::string& path, std::size_t maxBytes);

// The size from the file's attributes, without opening it.
std::optional<std::uint64_t> fileSize(const std::string& path);

// Creates one directory; false if it could not be made (also when it exists).
bool createDirectory(const std::string& path);

// Moves a file to a name that must not exist yet; never replaces anything. Works
// across file systems (copy, flush, remove). The moved file keeps no execute
// permission where the system has one.
bool moveFileNoReplace(const std::string& from, const std::string& to);

// Deletes a file. A read-only file is refused, as the user marked it so.
bool removeFile(const std::string& path);

// Who may open a file the program writes.
enum class FileAccess {
    Default,    // as the folder and the system decide
    OwnerOnly,  // the current user alone (mode 0600; a protected DACL with one entry)
};

// Replaces the file's content as one step: written beside it under a temporary name,
// flushed, then renamed over it, so a crash leaves the old or the new content whole.
// The new file has its access set from its creation, so it is never readable by others.
bool replaceFileContent(const std::string& path, std::string_view content,
                        FileAccess access = FileAccess::Default);

}  // namespace quillvarden::platform
