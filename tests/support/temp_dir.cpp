#include "tests/support/temp_dir.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>

namespace quillvarden::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    std::random_device random;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    path_ = fs::temp_directory_path() /
            ("qv-test-" + std::to_string(stamp) + "-" + std::to_string(random()) + "-" +
             std::to_string(counter++));
    fs::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::string TempDir::toUtf8(const fs::path& p) {
    const std::u8string text = p.u8string();
    return std::string(text.begin(), text.end());
}

fs::path TempDir::write(const std::string& relative, const std::string& content) const {
    const fs::path target = path_ / fs::path(std::u8string(relative.begin(), relative.end()));
    fs::create_directories(target.parent_path());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(content.data(), static_cast<std::streamsize>(content.size()));
    return target;
}

fs::path TempDir::makeDir(const std::string& relative) const {
    const fs::path target = path_ / fs::path(std::u8string(relative.begin(), relative.end()));
    fs::create_directories(target);
    return target;
}

ScopedCurrentDir::ScopedCurrentDir(const fs::path& dir) : previous_(fs::current_path()) {
    fs::current_path(dir);
}

ScopedCurrentDir::~ScopedCurrentDir() {
    std::error_code ignored;
    fs::current_path(previous_, ignored);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace quillvarden::test
