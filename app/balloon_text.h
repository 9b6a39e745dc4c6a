// The tray balloon's fields hold 63 and 255 UTF-16 units of title and text.
#pragma once

#include <cstddef>
#include <string>

namespace quillvarden {

inline constexpr std::size_t kBalloonTitleUnits = 63;
inline constexpr std::size_t kBalloonTextUnits = 255;

// At most limit UTF-16 units; a cut never leaves half of a surrogate pair behind.
std::u16string cutUtf16(std::u16string text, std::size_t limit);

}  // namespace quillvarden
