// The text side of a web request: header lines, default headers, the Set-Cookie
// lines of a reply and the cookies they carry. Plain functions of their arguments,
// so the request routine's decisions can be checked without a network.
//
// A header text is lines joined by CR LF, each a name, a colon and a value.
#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "text/text.h"

namespace qingqu {

// The name of a header line: the text before its first ":", trimmed; empty when
// the line holds no colon.
Text HeaderName(std::string_view line);

// The value of a header line: everything after its first ":", further colons
// included, trimmed; empty when the line holds no colon.
Text HeaderValue(std::string_view line);

// The text between the first `leftMarker` and the next `rightMarker` after it;
// empty when either is missing. "#引号" in a marker stands for a double quote.
Text TextBetween(std::string_view text, std::string_view leftMarker, std::string_view rightMarker);

// "GET" for 0, "POST" for 1, "HEAD" for 2; any other value counts as 0.
Text MethodText(int method);

// The time-out of the request in milliseconds: none (keep the object's own) for
// -1, seconds x 1000 for 1 and above, 15000 for anything else. Values too large
// for 32 bits stay at the largest one.
std::optional<int> TimeoutMilliseconds(int timeoutSeconds) noexcept;

// Appends to `headers`, in this order and each only when its marker occurs
// nowhere in the text: "Accept: */*", "Referer: " + url, "Accept-Language: zh-cn",
// the User-Agent and the form Content-Type line. Lines are joined by CR LF; an
// empty text starts with the Accept line.
void CompleteHeaderText(Text& headers, std::string_view url);

struct HeaderLine {
    Text Name;
    Text Value;
    bool operator==(const HeaderLine&) const = default;
};

// The header lines to send, in order: "Cookie" with `cookies` when that is not
// empty, then each non-empty line of `headers` split into name and value. A line
// without a colon gives an empty name and value and is kept all the same.
std::vector<HeaderLine> RequestHeaderLines(std::string_view cookies, std::string_view headers);

// `headers` with every "Set-Cookie", in any letter case, written "Set-Cookie".
Text NormalizeSetCookie(std::string_view headers);

// The name=value part of each line holding "Set-Cookie", in order, joined by
// "; ". Expects the letter case already normalised.
Text CollectReturnedCookies(std::string_view headers);

}  // namespace qingqu
