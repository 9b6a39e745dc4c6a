// Files the build makes for the tests (see tests/CMakeLists.txt).
#pragma once

#include <string>

namespace quillvarden::test {

// The fixture's path as this program must spell it: under Wine, the build's Linux
// paths are reached through drive Z:.
inline std::string fixturePath(const std::string& name) {
    std::string path = std::string(QV_FIXTURES_DIR) + "/" + name;
#ifdef _WIN32
    for (char& c : path) c = c == '/' ? '\\' : c;
    if (!path.empty() && path.front() == '\\') path = "Z:" + path;
#endif
    return path;
}

}  // namespace quillvarden::test
