// Lower-case hexadecimal text of raw bytes.
#pragma once

#include <string>
#include <vector>

namespace quillvarden {

inline std::string toLowerHex(const std::vector<unsigned char>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const unsigned char b : bytes) {
        out.push_back(kDigits[b >> 4]);
        out.push_back(kDigits[b & 0x0F]);
    }
    return out;
}

}  // namespace quillvarden
