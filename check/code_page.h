// Conversions between code pages through UTF-16, for reply bodies that arrive in
// UTF-8 while every text of the program is held in code page 936.
//
//   Text page = Utf8ToGbk(BytesToText(body));   // "没有找" can now be searched for
//
// Nothing is reported: bytes that are not valid in the source encoding become
// U+FFFD, characters the target code page lacks become its default character
// ("?" for 936). Texts of any length are converted whole.
#pragma once

#include <string_view>

#include "text/text.h"

namespace qingqu {

// UTF-8 to code page 936.
Text Utf8ToGbk(std::string_view text);

// Code page 936 to UTF-8.
Text GbkToUtf8(std::string_view text);

// `text` decoded into UTF-16 units, little-endian, followed by one zero unit. The
// source is `codePage` when `useCodePage` is true, UTF-8 otherwise.
Bytes TextToUtf16(std::string_view text, int codePage, bool useCodePage);

// The UTF-16 units of `units` up to the first zero unit, encoded in `codePage`
// when `useCodePage` is true, in the system's ANSI code page otherwise.
Text Utf16ToText(const Bytes& units, int codePage, bool useCodePage);

}  // namespace qingqu
