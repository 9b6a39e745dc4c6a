#include "engine/file_filters.h"

#include <algorithm>

#include "platform/ascii_text.h"
#include "platform/process_paths.h"
#include "platform/system_folders.h"

namespace quillvarden {
namespace {

const std::vector<std::string>& scannableExtensions() {
    static const std::vector<std::string> extensions = {
        ".exe", ".dll", ".sys", ".drv", ".scr", ".ocx", ".com", ".cpl", ".bat", ".cmd", ".ps1", ".vbs", ".vbe",
        ".js",  ".jse", ".wsf", ".wsh", ".hta", ".msi", ".msp", ".jar", ".py",  ".rb",  ".sh",  ".pl"};
    return extensions;
}

constexpr const char* kSystemFolderSuffixes[] = {"\\system32\\", "\\syswow64\\",  "\\winsxs\\",
                                                 "\\servicing\\", "\\assembly\\", "\\microsoft.net\\"};

// The folders where embedded web-view runtimes keep their user data.
constexpr const char* kBrowserDataMarkers[] = {"ebwebview", ".webview2"};

}  // namespace

bool containsIgnoreCase(std::string_view haystack, std::string_view needle) {
    if (needle.empty() || needle.size() > haystack.size()) return false;
    const auto match = std::search(haystack.begin(), haystack.end(), needle.begin(), needle.end(),
                                   [](char a, char b) { return toLowerAscii(a) == toLowerAscii(b); });
    return match != haystack.end();
}

std::string extensionOf(std::string_view fileName) {
    const auto dot = fileName.rfind('.');
    if (dot == std::string_view::npos) return {};
    return toLowerAscii(fileName.substr(dot));
}

bool hasScannableExtension(std::string_view fileName) {
    const std::string extension = extensionOf(fileName);
    if (extension.empty()) return false;
    const auto& list = scannableExtensions();
    return std::find(list.begin(), list.end(), extension) != list.end();
}

std::vector<std::string> systemPathPrefixes(const std::string& windowsDirectory,
                                            const std::vector<std::string>& nativeFolders) {
    std::vector<std::string> prefixes;
    const std::string windows = foldPath(windowsDirectory);
    if (!windows.empty()) {
        for (const char* suffix : kSystemFolderSuffixes) prefixes.push_back(windows + suffix);
    }
    for (const std::string& folder : nativeFolders) prefixes.push_back(foldPath(folder));
    return prefixes;
}

bool isSystemPathUnder(const std::string& path, const std::vector<std::string>& foldedPrefixes) {
    const std::string folded = foldPath(path);
    for (const std::string& prefix : foldedPrefixes) {
        if (startsWith(folded, prefix)) return true;
    }
    return false;
}

bool isSystemPath(const std::string& path) {
    static const std::vector<std::string> prefixes =
        systemPathPrefixes(platform::windowsDirectory(), platform::nativeSystemFolders());
    return isSystemPathUnder(path, prefixes);
}

bool isSelfPathOf(const std::string& path, const std::string& executablePath) {
    const std::string folded = foldPath(path);
    const std::string ownExecutable = foldPath(executablePath);
    if (!ownExecutable.empty() && folded == ownExecutable) return true;
    for (const char* marker : kBrowserDataMarkers) {
        if (folded.find(marker) != std::string::npos) return true;
    }
    const std::string ownDirectory = foldPath(platform::directoryOf(executablePath));
    return !ownDirectory.empty() && startsWith(folded, ownDirectory + "\\");
}

bool isSelfPath(const std::string& path) {
    static const std::string executable = platform::executablePath();
    return isSelfPathOf(path, executable);
}

}  // namespace quillvarden
