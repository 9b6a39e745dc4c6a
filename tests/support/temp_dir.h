// A directory of its own for one test, removed afterwards.
#pragma once

#include <filesystem>
#include <string>

namespace quillvarden::test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    // The path as UTF-8 text, the form the program's interfaces take.
    std::string str() const { return toUtf8(path_); }

    // Writes a file below the directory (creating parents) and returns its path.
    std::filesystem::path write(const std::string& relative, const std::string& content) const;
    std::filesystem::path makeDir(const std::string& relative) const;

    static std::string toUtf8(const std::filesystem::path& p);

private:
    std::filesystem::path path_;
};

// Changes the current directory for the lifetime of the object.
class ScopedCurrentDir {
public:
    explicit ScopedCurrentDir(const std::filesystem::path& dir);
    ~ScopedCurrentDir();

private:
    std::filesystem::path previous_;
};

std::string readFile(const std::filesystem::path& path);

}  // namespace quillvarden::test
