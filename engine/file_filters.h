// Cheap predicates on a file's name or path that decide, before any I/O, whether a
// file is looked at and whether its content gets the costly analysis. They compare
// UTF-8 bytes and fold ASCII letters only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillvarden {

// The needle occurs in the haystack, ignoring ASCII case; an empty needle never does.
bool containsIgnoreCase(std::string_view haystack, std::string_view needle);

// The text from the last '.' of a file name, lower-cased; empty without a dot.
std::string extensionOf(std::string_view fileName);

// The extension is one of the 25 executable and script kinds.
bool hasScannableExtension(std::string_view fileName);

// The path lies in one of the operating system's own folders: System32, SysWOW64,
// WinSxS, servicing, assembly or Microsoft.NET of the Windows directory; on Linux
// the package-managed program and library folders.
bool isSystemPath(const std::string& path);

// The program's own executable, any file under its own folder, or an embedded
// web view's data folder.
bool isSelfPath(const std::string& path);

// The folded (foldPath) prefixes isSystemPath compares with, for a given Windows
// directory and native system folders.
std::vector<std::string> systemPathPrefixes(const std::string& windowsDirectory,
                                            const std::vector<std::string>& nativeFolders);
bool isSystemPathUnder(const std::string& path, const std::vector<std::string>& foldedPrefixes);

// isSelfPath for a given executable path.
bool isSelfPathOf(const std::string& path, const std::string& executablePath);

}  // namespace quillvarden
