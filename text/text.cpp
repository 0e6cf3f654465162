#include "text/text.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cstring>
#include <functional>

#include "text/dbcs.h"

namespace qingqu {

namespace {

constexpr std::size_t kNotFound = std::string_view::npos;

constexpr unsigned char kFullWidthSpaceByte = 0xA1;

constexpr unsigned char ByteAt(std::string_view text, std::size_t position) noexcept {
    return static_cast<unsigned char>(text[position]);
}

constexpr unsigned char FoldAsciiLetter(unsigned char byte) noexcept {
    return byte >= 'A' && byte <= 'Z' ? static_cast<unsigned char>(byte - 'A' + 'a') : byte;
}

// Texts longer than INT_MAX bytes cannot report their length or positions in an int;
// they never occur in practice, but the results stay in range.
constexpr int ClampToInt(std::size_t value) noexcept {
    return value > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(value);
}

// Length of the space character at `position`: 1 for 0x20, 2 for 0xA1 0xA1, 0 for
// anything else. `position` must be a character boundary.
constexpr std::size_t SpaceLengthAt(std::string_view text, std::size_t position) noexcept {
    if (text[position] == ' ') return 1;
    if (ByteAt(text, position) == kFullWidthSpaceByte && position + 1 < text.size() &&
        ByteAt(text, position + 1) == kFullWidthSpaceByte)
        return 2;
    return 0;
}

// Finds the occurrences of a part that begin on character boundaries of a text,
// as seen by a scan that walks the text one character at a time and resumes right
// after each match it takes.
//
//   MatchFinder finder(text, part, /*ignoreCase=*/false);
//   for (auto at = finder.Next(0); at != kNotFound; at = finder.Next(at + part.size())) ...
//
// Candidates come from a plain byte search; only then is the boundary established.
// Every byte below 0x80 ends a character (it is either a whole character or the
// second byte of one), so the byte after it is a boundary. A candidate is therefore
// a boundary exactly when the run of bytes 0x80..0xFF just before it, back to such a
// byte or to the last boundary known to the scan, has an even length. The walk back
// never passes that known boundary, so no byte is examined more than a few times.
class MatchFinder {
public:
    MatchFinder(std::string_view text, std::string_view part, bool ignoreCase) noexcept
        : text_(text), part_(part), ignoreCase_(ignoreCase) {}

    // The first match at or after `from`, which the scan treats as a character
    // boundary; kNotFound when there is none. `part` must not be empty.
    std::size_t Next(std::size_t from) const noexcept {
        std::size_t known = from;
        std::size_t candidate = from;
        while ((candidate = FindCandidate(candidate)) != kNotFound) {
            if (StartsCharacter(text_, known, candidate)) return candidate;
            // The candidate is the second byte of a two-byte character, so the
            // character ends with it.
            known = candidate + 1;
            candidate = known;
        }
        return kNotFound;
    }

private:
    std::size_t FindCandidate(std::size_t from) const noexcept {
        if (!ignoreCase_) return text_.find(part_, from);
        if (from > text_.size() || text_.size() - from < part_.size()) return kNotFound;
        const unsigned char first = FoldAsciiLetter(ByteAt(part_, 0));
        const std::size_t last = text_.size() - part_.size();
        for (std::size_t at = from; at <= last; ++at) {
            if (FoldAsciiLetter(ByteAt(text_, at)) == first && EqualsIgnoringCase(at)) return at;
        }
        return kNotFound;
    }

    bool EqualsIgnoringCase(std::size_t at) const noexcept {
        for (std::size_t i = 1; i < part_.size(); ++i) {
            if (FoldAsciiLetter(ByteAt(text_, at + i)) != FoldAsciiLetter(ByteAt(part_, i)))
                return false;
        }
        return true;
    }

    std::string_view text_;
    std::string_view part_;
    bool ignoreCase_;
};

}  // namespace

int TextArray::Count() const noexcept {
    return ClampToInt(ends_.size());
}

std::string_view TextArray::At(int position) const noexcept {
    if (position < 1 || static_cast<std::size_t>(position) > ends_.size()) return {};
    const auto index = static_cast<std::size_t>(position - 1);
    const std::size_t begin = index == 0 ? 0 : ends_[index - 1];
    return std::string_view(bytes_).substr(begin, ends_[index] - begin);
}

void TextArray::Append(std::string_view text) {
    // The text may be a view of one of this list's own elements; growing the buffer
    // would move it, so such a text is copied by its offset.
    const auto* data = bytes_.data();
    const bool inside = !text.empty() && std::greater_equal<>()(text.data(), data) &&
                        std::less<>()(text.data(), data + bytes_.size());
    if (inside) {
        const auto offset = static_cast<std::size_t>(text.data() - data);
        bytes_.reserve(bytes_.size() + text.size());
        bytes_.append(bytes_, offset, text.size());
    } else {
        bytes_.append(text);
    }
    ends_.push_back(bytes_.size());
}

int TextLength(std::string_view text) noexcept {
    return ClampToInt(text.size());
}

bool TextEquals(std::string_view a, std::string_view b) noexcept {
    return a == b;
}

Text TextLeft(std::string_view text, int n) {
    if (n <= 0) return {};
    return Text(text.substr(0, static_cast<std::size_t>(n)));
}

Text TextRight(std::string_view text, int n) {
    if (n <= 0) return {};
    const std::size_t count = std::min(text.size(), static_cast<std::size_t>(n));
    return Text(text.substr(text.size() - count));
}

Text TextMid(std::string_view text, int start, int n) {
    if (start < 1 || n <= 0 || static_cast<std::size_t>(start) > text.size()) return {};
    return Text(text.substr(static_cast<std::size_t>(start - 1), static_cast<std::size_t>(n)));
}

int FindText(std::string_view text, std::string_view part, int start) noexcept {
    if (start < 1) start = 1;
    const auto origin = static_cast<std::size_t>(start - 1);
    if (origin >= text.size()) return -1;
    if (part.empty()) return start;
    const std::size_t found = MatchFinder(text, part, false).Next(origin);
    return found == kNotFound || found >= static_cast<std::size_t>(INT_MAX)
               ? -1
               : static_cast<int>(found + 1);
}

Text ReplaceText(std::string_view text, std::string_view part, std::string_view replacement,
                 bool ignoreCase) {
    if (text.empty() || part.empty()) return Text(text);
    const MatchFinder finder(text, part, ignoreCase);
    Text result;
    result.reserve(text.size());
    std::size_t pieceStart = 0;
    for (std::size_t match = finder.Next(0); match != kNotFound; match = finder.Next(pieceStart)) {
        result.append(text, pieceStart, match - pieceStart);
        result.append(replacement);
        pieceStart = match + part.size();
    }
    result.append(text, pieceStart);
    return result;
}

TextArray SplitText(std::string_view text, std::string_view delimiter) {
    TextArray pieces;
    if (text.empty()) return pieces;
    pieces.bytes_.reserve(text.size());
    // An empty delimiter would match everywhere without moving on: the text stays whole.
    if (delimiter.empty()) {
        pieces.Append(text);
        return pieces;
    }
    const MatchFinder finder(text, delimiter, false);
    std::size_t pieceStart = 0;
    for (std::size_t match = finder.Next(0); match != kNotFound; match = finder.Next(pieceStart)) {
        pieces.bytes_.append(text.data() + pieceStart, match - pieceStart);
        pieces.ends_.push_back(pieces.bytes_.size());
        pieceStart = match + delimiter.size();
    }
    if (pieceStart < text.size()) {
        pieces.bytes_.append(text.data() + pieceStart, text.size() - pieceStart);
        pieces.ends_.push_back(pieces.bytes_.size());
    }
    return pieces;
}

Text TrimSpaces(std::string_view text) {
    std::size_t begin = 0;
    while (begin < text.size()) {
        const std::size_t space = SpaceLengthAt(text, begin);
        if (space == 0) break;
        begin += space;
    }
    std::size_t end = text.size();
    bool inSpaces = false;
    for (std::size_t at = begin; at < text.size();) {
        const std::size_t space = SpaceLengthAt(text, at);
        if (space != 0 && !inSpaces) end = at;
        if (space == 0) end = text.size();
        inSpaces = space != 0;
        at += space != 0 ? space : CharLengthAt(text, at);
    }
    return Text(text.substr(begin, end - begin));
}

Text RemoveAllSpaces(std::string_view text) {
    Text kept;
    kept.reserve(text.size());
    std::size_t runStart = 0;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t space = SpaceLengthAt(text, at);
        if (space == 0) {
            at += CharLengthAt(text, at);
            continue;
        }
        kept.append(text, runStart, at - runStart);
        at += space;
        runStart = at;
    }
    kept.append(text, runStart);
    return kept;
}

Text CharFromCode(int code) {
    // A code that is not one non-zero byte has no text of its own.
    if (code < 1 || code > 0xFF) return {};
    return Text(1, static_cast<char>(code));
}

Text NumberToText(int n) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, n).ptr;
    return Text(digits, end);
}

Text BlankText(int n) {
    if (n < 1) return {};
    return Text(static_cast<std::size_t>(n), ' ');
}

Text BytesToText(const Bytes& bytes) {
    if (bytes.empty()) return {};
    const void* zero = std::memchr(bytes.data(), 0, bytes.size());
    const std::size_t length =
        zero ? static_cast<std::size_t>(static_cast<const std::uint8_t*>(zero) - bytes.data())
             : bytes.size();
    return Text(reinterpret_cast<const char*>(bytes.data()), length);
}

Bytes TextToBytes(std::string_view text) {
    return Bytes(text.begin(), text.end());
}

Bytes BlankBytes(int n) {
    if (n < 1) return {};
    return Bytes(static_cast<std::size_t>(n), 0);
}

}  // namespace qingqu
