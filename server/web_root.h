// Where the web interface's files are served from.
#pragma once

#include <string>
#include <vector>

namespace quillvarden {

// The candidates in the order they are tried; the last two only when the
// executable's directory is known. sep is the system's path separator.
std::vector<std::string> webRootCandidates(const std::string& executableDirectory, char sep);

// The first candidate that is an existing directory, exactly as written (a relative
// candidate stays relative to the current directory); empty when none is.
std::string resolveWebRoot();

}  // namespace quillvarden
