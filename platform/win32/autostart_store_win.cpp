#include "platform/autostart_store.h"

#include <windows.h>

#include <vector>

#include "platform/win32/wide_string.h"

namespace quillvarden::platform {
namespace {

constexpr DWORD kNameUnits = 16384;
constexpr DWORD kDataBytes = 16384;

HKEY rootOf(const AutostartLocation& location) {
    return location.hive == "HKLM" ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

HKEY openKey(const AutostartLocation& location, REGSAM access) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(rootOf(location), win32::widen(location.keyPath).c_str(), 0, access | KEY_WOW64_64KEY, &key) !=
        ERROR_SUCCESS) {
        return nullptr;
    }
    return key;
}

bool valueExists(HKEY key, const std::wstring& name) {
    return RegQueryValueExW(key, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

}  // namespace

std::vector<AutostartLocation> defaultAutostartLocations() {
    return {{"HKCU", "Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
            {"HKCU", "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"},
            {"HKLM", "Software\\Microsoft\\Windows\\CurrentVersion\\Run"},
            {"HKLM", "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce"}};
}

AutostartValues readAutostartValues(const AutostartLocation& location) {
    AutostartValues values;
    HKEY key = openKey(location, KEY_READ);
    if (!key) return values;
    std::vector<wchar_t> name(kNameUnits);
    std::vector<BYTE> data(kDataBytes);
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = kNameUnits;
        DWORD dataLength = kDataBytes;
        DWORD type = 0;
        // Any failure ends the listing: ERROR_NO_MORE_ITEMS normally, ERROR_MORE_DATA
        // for a value too large for the buffers.
        if (RegEnumValueW(key, index, name.data(), &nameLength, nullptr, &type, data.data(), &dataLength) !=
            ERROR_SUCCESS) {
            break;
        }
        std::string command;
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            std::wstring_view text(reinterpret_cast<const wchar_t*>(data.data()), dataLength / sizeof(wchar_t));
            while (!text.empty() && text.back() == L'\0') text.remove_suffix(1);
            command = win32::narrow(text);
        }
        values[win32::narrow(std::wstring_view(name.data(), nameLength))] = std::move(command);
    }
    RegCloseKey(key);
    return values;
}

bool autostartValueExists(const AutostartLocation& location, const std::string& valueName) {
    HKEY key = openKey(location, KEY_QUERY_VALUE);
    if (!key) return false;
    const bool exists = valueExists(key, win32::widen(valueName));
    RegCloseKey(key);
    return exists;
}

bool revokeAutostartValue(const AutostartLocation& location, const std::string& valueName, const SetAside&) {
    HKEY key = openKey(location, KEY_QUERY_VALUE | KEY_SET_VALUE);
    if (!key) return false;
    const std::wstring name = win32::widen(valueName);
    RegDeleteValueW(key, name.c_str());
    const bool gone = !valueExists(key, name);
    RegCloseKey(key);
    return gone;
}

struct AutostartWatch::State {
    std::vector<AutostartLocation> locations;
    std::vector<HKEY> keys;      // notification handles; null when unwatched
    std::vector<HANDLE> events;  // manual-reset, one per location
    HANDLE stopEvent = nullptr;

    ~State() {
        for (HKEY key : keys) {
            if (key) RegCloseKey(key);
        }
        for (HANDLE event : events) {
            if (event) CloseHandle(event);
        }
        if (stopEvent) CloseHandle(stopEvent);
    }
};

AutostartWatch::AutostartWatch(std::vector<AutostartLocation> locations) : state_(std::make_unique<State>()) {
    state_->keys.assign(locations.size(), nullptr);
    state_->events.assign(locations.size(), nullptr);
    state_->locations = std::move(locations);
    state_->stopEvent = CreateEventW(nullptr, TRUE, FALSE, nullptr);
}

AutostartWatch::~AutostartWatch() = default;

bool AutostartWatch::arm(std::size_t index) {
    State& s = *state_;
    if (index >= s.locations.size()) return false;
    if (s.keys[index]) {
        RegCloseKey(s.keys[index]);
        s.keys[index] = nullptr;
    }
    HKEY key = openKey(s.locations[index], KEY_NOTIFY);
    if (!key) return false;
    if (!s.events[index]) s.events[index] = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!s.events[index]) {
        RegCloseKey(key);
        return false;
    }
    ResetEvent(s.events[index]);
    if (RegNotifyChangeKeyValue(key, FALSE, REG_NOTIFY_CHANGE_LAST_SET, s.events[index], TRUE) != ERROR_SUCCESS) {
        RegCloseKey(key);
        return false;
    }
    s.keys[index] = key;
    return true;
}

AutostartWatch::Wait AutostartWatch::wait(std::vector<std::size_t>& changed) {
    changed.clear();
    State& s = *state_;
    if (!s.stopEvent) return Wait::Failed;
    std::vector<HANDLE> handles;
    std::vector<std::size_t> indexOf;
    for (std::size_t i = 0; i < s.locations.size(); ++i) {
        if (s.keys[i] && s.events[i]) {
            handles.push_back(s.events[i]);
            indexOf.push_back(i);
        }
    }
    handles.push_back(s.stopEvent);
    const DWORD result = WaitForMultipleObjects(static_cast<DWORD>(handles.size()), handles.data(), FALSE, INFINITE);
    if (result >= WAIT_OBJECT_0 + handles.size()) return Wait::Failed;
    const std::size_t position = result - WAIT_OBJECT_0;
    if (position == indexOf.size()) return Wait::Interrupted;
    changed.push_back(indexOf[position]);
    return Wait::Changes;
}

void AutostartWatch::interrupt() {
    if (state_->stopEvent) SetEvent(state_->stopEvent);
}

}  // namespace quillvarden::platform
