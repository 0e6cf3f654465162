// Cookie texts: name=value pieces separated by "; " on output, holding no spaces.
//
//   Text cookies = "a=1; b=2";
//   Text returned = "b=3";
//   MergeCookies(cookies, returned);  // cookies == "b=3; a=1", returned == "b=3"
//
// A piece whose last eight bytes are "=deleted" removes the cookie of its name and
// is never kept itself. Names are compared byte for byte, letter case included.
#pragma once

#include <string_view>

#include "text/text.h"

namespace qingqu {

// Folds the cookies a reply set (`newCookies`, pieces joined by ";" or "; ") into
// the caller's cookie text: the reply's pieces first, in its order, then the
// caller's pieces whose names the reply did not mention, without deletions and
// without repeated identical pieces. Both arguments are the caller's variables:
// `cookies` receives the merged text and `newCookies` its own value without
// spaces. Returns a copy of the merged text.
Text MergeCookies(Text& cookies, Text& newCookies);

// The name of one piece: the text before its first "=" (all of it when there is
// no "="), without leading and trailing spaces.
Text CookieName(std::string_view piece);

// True when the cookie name of some element of `list` equals `name`.
bool HasCookieNamed(const TextArray& list, std::string_view name);

// `text` split at `delimiter`, every piece equal to an earlier one dropped,
// joined again with `delimiter`.
Text RemoveRepeatedPieces(std::string_view text, std::string_view delimiter);

// The position (from 1) of the first element of `list` equal to `text`, or -1.
int IndexOfText(const TextArray& list, std::string_view text) noexcept;

}  // namespace qingqu
