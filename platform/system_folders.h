// Where the operating system keeps its own files.
#pragma once

#include <string>
#include <vector>

namespace quillvarden::platform {

// The Windows directory (for example C:\Windows); empty on systems without one or
// when the query fails.
std::string windowsDirectory();

// Folders of the operating system's own programs on systems without a Windows
// directory, each ending in the path separator; empty on Windows.
std::vector<std::string> nativeSystemFolders();

}  // namespace quillvarden::platform
