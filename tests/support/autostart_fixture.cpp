#include "tests/support/autostart_fixture.h"

#include <filesystem>
#include <random>

#ifdef _WIN32
#include <windows.h>

#include "platform/win32/wide_string.h"
#endif

namespace quillvarden::test {

#ifdef _WIN32

namespace {
std::wstring wide(const std::string& text) { return platform::win32::widen(text); }
}  // namespace

AutostartFixture::AutostartFixture(int count) {
    std::random_device random;
    testKey_ = "Software\\QuillvardenTests\\" + std::to_string(random());
    for (int i = 0; i < count; ++i) {
        // Shaped like the real keys, which the tactic rules know as autostart places.
        const std::string path = testKey_ + "\\" + std::to_string(i) + "\\Windows\\CurrentVersion\\Run";
        HKEY key = nullptr;
        RegCreateKeyExW(HKEY_CURRENT_USER, wide(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY,
                        nullptr, &key, nullptr);
        if (key) RegCloseKey(key);
        locations_.push_back({"HKCU", path});
    }
}

AutostartFixture::~AutostartFixture() {
    RegDeleteTreeW(HKEY_CURRENT_USER, wide(testKey_).c_str());
}

std::string AutostartFixture::valueName(const std::string& name) { return name; }

void AutostartFixture::writeValue(std::size_t location, const std::string& name, const std::string& command) {
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, wide(locations_[location].keyPath).c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                  &key);
    const std::wstring data = wide(command);
    RegSetValueExW(key, wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                   static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

void AutostartFixture::writeNonStringValue(std::size_t location, const std::string& name) {
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, wide(locations_[location].keyPath).c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                  &key);
    static DWORD counter = 1;
    ++counter;
    RegSetValueExW(key, wide(name).c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&counter), sizeof counter);
    RegCloseKey(key);
}

void AutostartFixture::deleteValue(std::size_t location, const std::string& name) {
    HKEY key = nullptr;
    RegOpenKeyExW(HKEY_CURRENT_USER, wide(locations_[location].keyPath).c_str(), 0, KEY_SET_VALUE | KEY_WOW64_64KEY,
                  &key);
    RegDeleteValueW(key, wide(name).c_str());
    RegCloseKey(key);
}

bool AutostartFixture::hasValue(std::size_t location, const std::string& name) const {
    return platform::autostartValueExists(locations_[location], name);
}

#else

AutostartFixture::AutostartFixture(int count) {
    const char* labels[] = {"user", "system"};
    for (int i = 0; i < count; ++i) {
        // Named like the real folders, which the tactic rules know as autostart places.
        const auto folder = dir_.makeDir(std::to_string(i) + "/" + labels[i % 2] + "/autostart");
        locations_.push_back({labels[i % 2], TempDir::toUtf8(folder)});
    }
}

AutostartFixture::~AutostartFixture() = default;

std::string AutostartFixture::valueName(const std::string& name) { return name + ".desktop"; }

void AutostartFixture::writeValue(std::size_t location, const std::string& name, const std::string& command) {
    // Written whole under another name and renamed, as a careful installer does.
    const std::filesystem::path folder = locations_[location].keyPath;
    const std::string text = "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=" + command + "\n";
    dir_.write("staging.tmp", text);
    std::filesystem::rename(dir_.path() / "staging.tmp", folder / valueName(name));
}

void AutostartFixture::writeNonStringValue(std::size_t location, const std::string& name) {
    const std::filesystem::path folder = locations_[location].keyPath;
    static int counter = 0;
    dir_.write("staging.tmp", "[Desktop Entry]\nType=Application\nName=" + std::to_string(++counter) + "\n");
    std::filesystem::rename(dir_.path() / "staging.tmp", folder / valueName(name));
}

void AutostartFixture::deleteValue(std::size_t location, const std::string& name) {
    std::filesystem::remove(std::filesystem::path(locations_[location].keyPath) / valueName(name));
}

bool AutostartFixture::hasValue(std::size_t location, const std::string& name) const {
    return platform::autostartValueExists(locations_[location], valueName(name));
}

#endif

}  // namespace quillvarden::test
