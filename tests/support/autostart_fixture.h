// Autostart locations of a test's own (temporary folders on Linux, a throw-away key
// under HKCU on Windows) and the means to write values into them as a program
// adding itself would.
#pragma once

#include <string>
#include <vector>

#include "platform/autostart_store.h"
#include "tests/support/temp_dir.h"

namespace quillvarden::test {

class AutostartFixture {
public:
    // count locations, labelled like the system's ("user"/"system"; "HKCU").
    explicit AutostartFixture(int count = 2);
    ~AutostartFixture();

    const std::vector<platform::AutostartLocation>& locations() const { return locations_; }

    // A string value (a desktop entry with this Exec= line on Linux).
    void writeValue(std::size_t location, const std::string& name, const std::string& command);
    // A value that is not text: a number in the registry, an entry without Exec= on Linux.
    void writeNonStringValue(std::size_t location, const std::string& name);
    void deleteValue(std::size_t location, const std::string& name);
    bool hasValue(std::size_t location, const std::string& name) const;
    // The name a value of this name gets (Linux entries are files ending ".desktop").
    static std::string valueName(const std::string& name);

private:
    TempDir dir_;
    std::string testKey_;  // Windows: the key holding the test's locations
    std::vector<platform::AutostartLocation> locations_;
};

}  // namespace quillvarden::test
