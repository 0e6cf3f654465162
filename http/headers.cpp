#include "http/headers.h"

#include <climits>
#include <cstdint>

namespace qingqu {

namespace {

constexpr std::string_view kLineBreak = "\r\n";
constexpr std::string_view kQuoteMarker = "#\xD2\xFD\xBA\xC5";  // "#引号"
constexpr std::string_view kSetCookie = "Set-Cookie";
constexpr std::string_view kSetCookieColon = "Set-Cookie:";
constexpr int kDefaultTimeoutMilliseconds = 15000;

struct DefaultHeader {
    std::string_view marker;
    std::string_view line;  // followed by the URL for the Referer line
};

constexpr DefaultHeader kDefaultHeaders[] = {
    {"Accept:", "Accept: */*"},
    {"Referer:", "Referer: "},
    {"Accept-Language:", "Accept-Language: zh-cn"},
    {"User-Agent:", "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)"},
    {"Content-Type:", "Content-Type: application/x-www-form-urlencoded"},
};

// Position of the first ":" in a header line, or -1.
int ColonPosition(std::string_view line) noexcept {
    return FindText(line, ":");
}

}  // namespace

Text HeaderName(std::string_view line) {
    const int colon = ColonPosition(line);
    if (colon == -1) return {};
    return TrimSpaces(TextLeft(line, colon - 1));
}

Text HeaderValue(std::string_view line) {
    const int colon = ColonPosition(line);
    if (colon == -1) return {};
    return TrimSpaces(TextRight(line, TextLength(line) - colon));
}

Text TextBetween(std::string_view text, std::string_view leftMarker, std::string_view rightMarker) {
    const Text left = ReplaceText(leftMarker, kQuoteMarker, "\"", false);
    const Text right = ReplaceText(rightMarker, kQuoteMarker, "\"", false);
    int start = FindText(text, left);
    if (start != -1) start += TextLength(left);
    const int end = FindText(text, right, start);
    if (start == -1 || end == -1) return {};
    return TextMid(text, start, end - start);
}

Text MethodText(int method) {
    switch (method) {
        case 1: return "POST";
        case 2: return "HEAD";
        default: return "GET";
    }
}

std::optional<int> TimeoutMilliseconds(int timeoutSeconds) noexcept {
    if (timeoutSeconds == -1) return std::nullopt;
    if (timeoutSeconds < 1) return kDefaultTimeoutMilliseconds;
    const std::int64_t milliseconds = std::int64_t{timeoutSeconds} * 1000;
    return milliseconds > INT_MAX ? INT_MAX : static_cast<int>(milliseconds);
}

void CompleteHeaderText(Text& headers, std::string_view url) {
    for (const DefaultHeader& header : kDefaultHeaders) {
        if (FindText(headers, header.marker) != -1) continue;
        if (!headers.empty()) headers.append(kLineBreak);
        headers.append(header.line);
        if (header.marker == "Referer:") headers.append(url);
    }
}

std::vector<HeaderLine> RequestHeaderLines(std::string_view cookies, std::string_view headers) {
    std::vector<HeaderLine> lines;
    if (!cookies.empty()) lines.push_back({"Cookie", Text(cookies)});
    if (FindText(headers, kLineBreak) == -1) {
        lines.push_back({HeaderName(headers), HeaderValue(headers)});
        return lines;
    }
    const TextArray pieces = SplitText(headers, kLineBreak);
    for (int i = 1; i <= pieces.Count(); ++i) {
        const std::string_view piece = pieces.At(i);
        if (!piece.empty()) lines.push_back({HeaderName(piece), HeaderValue(piece)});
    }
    return lines;
}

Text NormalizeSetCookie(std::string_view headers) {
    return ReplaceText(headers, kSetCookie, kSetCookie, true);
}

Text CollectReturnedCookies(std::string_view headers) {
    Text cookies;
    const TextArray lines = SplitText(headers, kLineBreak);
    for (int i = 1; i <= lines.Count(); ++i) {
        const std::string_view line = lines.At(i);
        if (FindText(line, kSetCookie) == -1) continue;
        if (FindText(line, ";") == -1)
            cookies.append(TrimSpaces(ReplaceText(line, kSetCookieColon, "", true)));
        else
            cookies.append(TrimSpaces(TextBetween(line, kSetCookieColon, ";")));
        cookies.append("; ");
    }
    return TextLeft(cookies, TextLength(cookies) - 2);
}

}  // namespace qingqu
