#include "app/url_file.h"

#include "text/dbcs.h"

namespace qingqu {

namespace {

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";

std::string_view UpToZeroByte(std::string_view bytes) noexcept {
    return bytes.substr(0, bytes.find('\0'));
}

std::string_view UpToZeroUnit(std::string_view bytes) noexcept {
    std::size_t end = 0;
    while (end + 1 < bytes.size() && (bytes[end] != '\0' || bytes[end + 1] != '\0')) end += 2;
    return bytes.substr(0, end);
}

bool HasHighByte(std::string_view bytes) noexcept {
    for (char byte : bytes)
        if (static_cast<unsigned char>(byte) >= 0x80) return true;
    return false;
}

bool IsContinuation(unsigned char byte) noexcept {
    return (byte & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 sequence at `at`, or 0 (RFC 3629: no overlong
// forms, no surrogates, nothing above U+10FFFF).
std::size_t Utf8SequenceLength(std::string_view bytes, std::size_t at) noexcept {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[at + i]); };
    const unsigned char lead = byte(0);
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF;  // allowed range of the second byte
    if (lead < 0x80) return 1;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        if (lead == 0xE0) low = 0xA0;
        if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        if (lead == 0xF0) low = 0x90;
        if (lead == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (at + length > bytes.size() || byte(1) < low || byte(1) > high) return 0;
    for (std::size_t i = 2; i < length; ++i)
        if (!IsContinuation(byte(i))) return 0;
    return length;
}

}  // namespace

bool IsValidUtf8(std::string_view bytes) noexcept {
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = Utf8SequenceLength(bytes, at);
        if (length == 0) return false;
        at += length;
    }
    return true;
}

UrlFileContent ClassifyUrlFile(std::string_view file) noexcept {
    if (file.starts_with(kUtf8Mark))
        return {UrlFileEncoding::Utf8, UpToZeroByte(file.substr(kUtf8Mark.size()))};
    if (file.starts_with(kUtf16LeMark))
        return {UrlFileEncoding::Utf16Le, UpToZeroUnit(file.substr(kUtf16LeMark.size()))};
    const std::string_view text = UpToZeroByte(file);
    if (HasHighByte(text) && IsValidUtf8(text)) return {UrlFileEncoding::Utf8, text};
    return {UrlFileEncoding::CodePage936, text};
}

std::vector<std::string_view> SplitUrlLines(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t lineStart = 0;
    std::size_t boundary = 0;  // a known character boundary, at or after lineStart
    for (std::size_t lf = text.find('\n'); lf != std::string_view::npos;
         lf = text.find('\n', lf + 1)) {
        const bool isLineEnd = StartsCharacter(text, boundary, lf);
        boundary = lf + 1;  // an LF ends a character, whether or not it ends a line
        if (!isLineEnd) continue;
        std::size_t end = lf;
        if (end > lineStart && text[end - 1] == '\r' && StartsCharacter(text, lineStart, end - 1))
            --end;
        lines.push_back(text.substr(lineStart, end - lineStart));
        lineStart = lf + 1;
    }
    if (lineStart < text.size()) lines.push_back(text.substr(lineStart));
    return lines;
}

}  // namespace qingqu
