// Wall-clock time as the records carry it.
#pragma once

#include <chrono>
#include <cstdint>

namespace quillvarden {

// Milliseconds since 1970-01-01 00:00 UTC.
inline std::int64_t nowMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace quillvarden
