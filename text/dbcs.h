// Characters of a code page 936 text, read from its first byte: a byte 0x00..0x7F
// is a character of one byte; a byte 0x80..0xFF is the lead byte of a character of
// two bytes, whatever the byte after it is.
#pragma once

#include <cstddef>
#include <string_view>

namespace qingqu {

constexpr bool IsLeadByte(unsigned char byte) noexcept {
    return byte >= 0x80;
}

// Length in bytes of the character that starts at `position`; a lead byte that is
// the text's last byte counts as a character of one byte.
constexpr std::size_t CharLengthAt(std::string_view text, std::size_t position) noexcept {
    return IsLeadByte(static_cast<unsigned char>(text[position])) && position + 1 < text.size() ? 2
                                                                                                : 1;
}

// Whether the byte at `position` begins a character, given that `knownBoundary`
// (<= position) does. A byte below 0x80 always ends a character (alone, or as a
// second byte), so only the run of bytes 0x80..0xFF just before `position`
// matters: they pair up from the run's start, and an odd run leaves its last
// byte waiting for the byte at `position`. The walk back stops at knownBoundary.
constexpr bool StartsCharacter(std::string_view text, std::size_t knownBoundary,
                               std::size_t position) noexcept {
    std::size_t runStart = position;
    while (runStart > knownBoundary && IsLeadByte(static_cast<unsigned char>(text[runStart - 1])))
        --runStart;
    return (position - runStart) % 2 == 0;
}

}  // namespace qingqu
