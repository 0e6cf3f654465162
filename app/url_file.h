// The format of a URL list file: one address per line, lines ending at CR LF or
// at a lone LF; the last line needs no line end. Files saved as UTF-8 (with or
// without a byte-order mark) or as UTF-16 LE with its mark are decoded and turned
// into code page 936; every other file is taken as code page 936 bytes.
#pragma once

#include <string_view>
#include <vector>

#include "text/text.h"

namespace qingqu {

enum class UrlFileEncoding { CodePage936, Utf8, Utf16Le };

struct UrlFileContent {
    UrlFileEncoding encoding;
    // The bytes to decode: the byte-order mark dropped, and for code page 936 and
    // UTF-8 cut before the first zero byte (for UTF-16 LE, the first zero unit).
    std::string_view bytes;
};

// Tells how a file's bytes are to be read. The view points into `file`.
UrlFileContent ClassifyUrlFile(std::string_view file) noexcept;

bool IsValidUtf8(std::string_view bytes) noexcept;

// The lines of a code page 936 text, as views into it. An empty text has no line;
// a line end at the very end starts no further line; a lone CR stays in its line.
std::vector<std::string_view> SplitUrlLines(std::string_view text);

}  // namespace qingqu
