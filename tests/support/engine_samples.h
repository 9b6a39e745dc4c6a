// Sample content for scan tests.
#pragma once

#include <string>

#include "platform/process_paths.h"

namespace quillvarden::test {

inline const std::string kEicar = "X5O!P%@AP[4\\PZX54(P^)7CC)7}$EICAR-STANDARD-ANTIVIRUS-TEST-FILE!$H+H*";

// A path in the running executable's own folder (which need not exist).
inline std::string ownFolderSample() {
    return platform::executableDirectory() + platform::kPathSeparator + "eicar-beside-me.com";
}

}  // namespace quillvarden::test
