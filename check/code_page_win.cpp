#include "check/code_page.h"

#include <windows.h>

#include <cstddef>

namespace qingqu {

namespace {

constexpr int kGbkCodePage = 936;

// The system converters count in int: longer texts go through in pieces that end
// on a character boundary, so no character is cut in two.
constexpr std::size_t kMaxPieceBytes = std::size_t{1} << 24;
constexpr std::size_t kMaxPieceUnits = std::size_t{1} << 24;

bool IsUtf8ContinuationByte(char byte) noexcept {
    return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Length of the next piece of `text` to decode from `codePage`: all of it when it
// is short, else at most kMaxPieceBytes ending before the start of a character.
// Code pages other than UTF-8 are read as one- and two-byte characters.
std::size_t NextPieceLength(std::string_view text, UINT codePage) {
    if (text.size() <= kMaxPieceBytes) return text.size();
    if (codePage == CP_UTF8) {
        std::size_t end = kMaxPieceBytes;
        // A UTF-8 character is at most four bytes; past that the bytes are invalid
        // anyway and each becomes U+FFFD wherever the piece ends.
        for (int i = 0; i < 3 && IsUtf8ContinuationByte(text[end]); ++i) --end;
        return end;
    }
    std::size_t end = 0;
    for (;;) {
        const std::size_t length = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(text[end])) ? 2 : 1;
        if (end + length > kMaxPieceBytes) return end;
        end += length;
    }
}

std::size_t NextPieceUnits(std::wstring_view units) noexcept {
    if (units.size() <= kMaxPieceUnits) return units.size();
    // Keep a surrogate pair together.
    return IS_HIGH_SURROGATE(units[kMaxPieceUnits - 1]) ? kMaxPieceUnits - 1 : kMaxPieceUnits;
}

// Appends the UTF-16 units of `text` to `units`, as little-endian byte pairs.
void AppendDecoded(std::string_view text, UINT codePage, Bytes& units) {
    while (!text.empty()) {
        const std::size_t pieceLength = NextPieceLength(text, codePage);
        const int length = static_cast<int>(pieceLength);
        const int count = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
        if (count > 0) {
            const std::size_t offset = units.size();
            units.resize(offset + std::size_t(count) * sizeof(wchar_t));
            MultiByteToWideChar(codePage, 0, text.data(), length,
                                reinterpret_cast<wchar_t*>(units.data() + offset), count);
        }
        text.remove_prefix(pieceLength);
    }
}

// The units of `bytes` (little-endian pairs) up to the first zero unit.
std::wstring_view UnitsBeforeZero(const Bytes& bytes) noexcept {
    const std::size_t count = bytes.size() / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < count && (bytes[2 * length] != 0 || bytes[2 * length + 1] != 0)) ++length;
    return {reinterpret_cast<const wchar_t*>(bytes.data()), length};
}

Text Encode(std::wstring_view units, UINT codePage) {
    Text text;
    while (!units.empty()) {
        const std::size_t pieceUnits = NextPieceUnits(units);
        const int length = static_cast<int>(pieceUnits);
        const int count =
            WideCharToMultiByte(codePage, 0, units.data(), length, nullptr, 0, nullptr, nullptr);
        if (count > 0) {
            const std::size_t offset = text.size();
            text.resize(offset + std::size_t(count));
            WideCharToMultiByte(codePage, 0, units.data(), length, text.data() + offset, count,
                                nullptr, nullptr);
        }
        units.remove_prefix(pieceUnits);
    }
    return text;
}

}  // namespace

Bytes TextToUtf16(std::string_view text, int codePage, bool useCodePage) {
    Bytes units;
    AppendDecoded(text, useCodePage ? static_cast<UINT>(codePage) : CP_UTF8, units);
    units.resize(units.size() + sizeof(wchar_t));  // the terminating zero unit
    return units;
}

Text Utf16ToText(const Bytes& units, int codePage, bool useCodePage) {
    return Encode(UnitsBeforeZero(units), useCodePage ? static_cast<UINT>(codePage) : CP_ACP);
}

Text Utf8ToGbk(std::string_view text) {
    return Utf16ToText(TextToUtf16(text, 0, false), kGbkCodePage, true);
}

Text GbkToUtf8(std::string_view text) {
    return Utf16ToText(TextToUtf16(text, kGbkCodePage, true), CP_UTF8, true);
}

}  // namespace qingqu
