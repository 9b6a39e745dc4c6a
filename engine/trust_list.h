// The trust zone: directories whose files are never scanned.
#pragma once

#include <string>

namespace quillvarden {

// ASCII lower case, '/' as '\', trailing separators replaced by exactly one '\'.
// Empty for an empty path or one made only of separators.
std::string normalizeTrustPath(const std::string& path);

// "trustlist.txt" beside the executable, or in the current directory when the
// executable's path is unknown.
std::string trustListPath();

}  // namespace quillvarden
