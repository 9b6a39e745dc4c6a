// Where the running program lives.
#pragma once

#include <string>

namespace quillvarden::platform {

// The separator this system writes between path components.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// Full path of the running executable in UTF-8; empty when the system cannot tell.
std::string executablePath();

// The executable's path cut before its last '\' or '/'; empty when there is none.
std::string executableDirectory();

// The directory part of a path: everything before its last '\' or '/', or empty.
std::string directoryOf(const std::string& path);

// The part of a path after its last '\' or '/' (the whole path if there is none).
std::string fileNameOf(const std::string& path);

}  // namespace quillvarden::platform
