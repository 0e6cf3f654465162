// Texts cross to the system as UTF-16 converted from code page 936, whatever the
// system's ANSI code page is, so captions, cells and paths read the same everywhere.
#pragma once

#include <string>
#include <string_view>

#include "text/text.h"

namespace qingqu {

std::wstring TextToWide(std::string_view text);
// Characters that code page 936 lacks become "?".
Text WideToText(std::wstring_view wide);

}  // namespace qingqu
