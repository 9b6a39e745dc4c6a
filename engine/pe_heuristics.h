// Scores the head of a Windows executable for packing, encryption and process
// injection. Reads only what it has bounds-checked; malformed images yield nothing.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "server/records/threat_info.h"

namespace quillvarden {

// Zero records, or one Heuristic record when the score reaches 30.
std::vector<ThreatInfo> analyzePeImage(const std::string& path, const std::vector<std::uint8_t>& content);

// Shannon entropy of the bytes in bits per byte (0 for no bytes).
double byteEntropy(const std::uint8_t* data, std::size_t size);

// "%f" cut to its first four characters: 7.534821 -> "7.53", 7.999999 -> "7.99".
std::string entropyText(double entropy);

}  // namespace quillvarden
