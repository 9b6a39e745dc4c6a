// Text that must not appear as itself in the program's bytes: the patterns of the
// built-in rules (and the tests' samples of them). Kept as plain literals, the
// program and every copy of it would match its own rules, and execution protection
// would end them. hide() encodes a literal while compiling; only the encoded bytes
// are stored, and reveal() restores the text when it is used.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <vector>

namespace quillvarden {

template <std::size_t N>
struct HiddenText {
    std::array<unsigned char, N> bytes{};

    static constexpr unsigned char keyAt(std::size_t i) {
        return static_cast<unsigned char>(0xA7u ^ ((i * 0x3Du + 0x11u) & 0xFFu));
    }

    std::string reveal() const {
        std::string text(N, '\0');
        for (std::size_t i = 0; i < N; ++i) text[i] = static_cast<char>(bytes[i] ^ keyAt(i));
        return text;
    }
};

// The literal's bytes without its terminating NUL (embedded NULs are kept).
template <std::size_t N>
consteval HiddenText<N - 1> hide(const char (&text)[N]) {
    HiddenText<N - 1> hidden;
    for (std::size_t i = 0; i + 1 < N; ++i) {
        hidden.bytes[i] = static_cast<unsigned char>(static_cast<unsigned char>(text[i]) ^ HiddenText<N - 1>::keyAt(i));
    }
    return hidden;
}

// The texts of several hidden literals, in order.
template <std::size_t... N>
std::vector<std::string> revealed(const HiddenText<N>&... texts) {
    return {texts.reveal()...};
}

}  // namespace quillvarden
