// The text model: code page 936 byte texts, counted byte buffers and text lists,
// with the operations the rest of the program takes texts apart with.
//
// Positions are 1-based byte positions; a search that finds nothing gives -1;
// out-of-range lengths and positions give an empty or a whole text. Every
// operation is a pure function: it keeps no state and may run on any thread.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace qingqu {

// Bytes in code page 936 holding no zero byte. A byte 0x80..0xFF starts a
// two-byte character (see dbcs.h).
using Text = std::string;

// A counted byte buffer that may hold zero bytes.
using Bytes = std::vector<std::uint8_t>;

// An ordered list of texts at positions 1..Count(). The only change ever made to
// one is appending a copy of a text at its end. Elements live one after another in
// one buffer, with their end offsets in a second one, so a list of a million lines
// is two blocks of memory rather than a million strings; a view from At() stays
// valid until the next Append().
class TextArray {
public:
    int Count() const noexcept;
    // The element at `position` in 1..Count(); the empty text for any other position.
    std::string_view At(int position) const noexcept;
    void Append(std::string_view text);

private:
    friend TextArray SplitText(std::string_view text, std::string_view delimiter);
    std::string bytes_;
    std::vector<std::size_t> ends_;  // end offset of each element in bytes_
};

int TextLength(std::string_view text) noexcept;
bool TextEquals(std::string_view a, std::string_view b) noexcept;
Text TextLeft(std::string_view text, int n);
Text TextRight(std::string_view text, int n);
Text TextMid(std::string_view text, int start, int n);

template <class... Parts>
Text ConcatText(const Parts&... parts) {
    Text joined;
    joined.reserve((std::string_view(parts).size() + ...));
    (joined.append(std::string_view(parts)), ...);
    return joined;
}

int FindText(std::string_view text, std::string_view part, int start = 1) noexcept;
Text ReplaceText(std::string_view text, std::string_view part, std::string_view replacement,
                 bool ignoreCase);
TextArray SplitText(std::string_view text, std::string_view delimiter);
Text TrimSpaces(std::string_view text);
Text RemoveAllSpaces(std::string_view text);
Text CharFromCode(int code);
Text NumberToText(int n);
Text BlankText(int n);

Text BytesToText(const Bytes& bytes);
Bytes TextToBytes(std::string_view text);
Bytes BlankBytes(int n);

template <class... Parts>
Bytes ConcatBytes(const Parts&... parts) {
    Bytes joined;
    joined.reserve((parts.size() + ...));
    (joined.insert(joined.end(), parts.begin(), parts.end()), ...);
    return joined;
}

}  // namespace qingqu
