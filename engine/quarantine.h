// Acting on a reported file: moving it into quarantine, or deleting it.
#pragma once

#include <string>

namespace quillvarden {

// "quarantine" beside the executable (relative to the current directory when the
// executable's path is unknown).
std::string quarantineDirectory();

// Moves the file to <quarantine>/<name>.quarantine, or <name>.<n>.quarantine for the
// first free n; never replaces a file. True when moved (a console line says where).
bool quarantineFile(const std::string& path);
bool quarantineFileInto(const std::string& path, const std::string& quarantineDir);

// True when deleted (with a console line); a read-only or missing file is refused.
bool deleteFile(const std::string& path);

}  // namespace quillvarden
