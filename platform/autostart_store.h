// Where programs register themselves to start with the user's session: the Run and
// RunOnce keys of the registry on Windows, the XDG autostart folders on Linux. A
// location holds named values whose data is a command line.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace quillvarden::platform {

struct AutostartLocation {
    // "HKCU" / "HKLM" on Windows (the root key), "user" / "system" on Linux.
    std::string hive;
    // The key path below the root on Windows; the folder on Linux.
    std::string keyPath;
};

// Value name → command. On Windows the data of string values (REG_SZ and
// REG_EXPAND_SZ, unexpanded, trailing NULs removed) and the empty string for every
// other type; on Linux one entry per "*.desktop" file, named by its file name, with
// the Exec= line of its [Desktop Entry] group (empty without one).
using AutostartValues = std::unordered_map<std::string, std::string>;

// The locations watched by autostart protection, in their fixed order: HKCU Run,
// HKCU RunOnce, HKLM Run, HKLM RunOnce (64-bit view); on Linux the user's folder
// ($XDG_CONFIG_HOME/autostart, else ~/.config/autostart) and /etc/xdg/autostart.
std::vector<AutostartLocation> defaultAutostartLocations();

// The current values; empty when the location cannot be read.
AutostartValues readAutostartValues(const AutostartLocation& location);

// The value exists (whatever its data).
bool autostartValueExists(const AutostartLocation& location, const std::string& valueName);

// Removes a value and reports whether it is gone afterwards; false when the location
// cannot be opened for changing. Where values are files (Linux), the file is handed
// to setAside (which moves it into quarantine) rather than deleted, so that the user
// can have it back.
using SetAside = std::function<bool(const std::string& entryFile)>;
bool revokeAutostartValue(const AutostartLocation& location, const std::string& valueName,
                          const SetAside& setAside);

// Waits for changes of the values of several locations without polling
// (RegNotifyChangeKeyValue; inotify).
class AutostartWatch {
public:
    explicit AutostartWatch(std::vector<AutostartLocation> locations);
    ~AutostartWatch();
    AutostartWatch(const AutostartWatch&) = delete;
    AutostartWatch& operator=(const AutostartWatch&) = delete;

    // (Re)arms the notification of one location; false when it cannot be watched.
    // Arm before reading the values, so that no change can fall between the two.
    bool arm(std::size_t index);

    enum class Wait { Changes, Interrupted, Failed };
    // Blocks until a location changes; replaces changed with the indices that did.
    Wait wait(std::vector<std::size_t>& changed);

    // Wakes wait() from any thread; every later wait() returns Interrupted too.
    void interrupt();

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace quillvarden::platform
