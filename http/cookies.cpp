#include "http/cookies.h"

namespace qingqu {

namespace {

constexpr std::string_view kDeletionSuffix = "=deleted";
constexpr std::string_view kPieceSeparator = "; ";

// Joins the elements of `list` that are not deletions with "; ".
Text JoinKeptPieces(const TextArray& list) {
    Text joined;
    for (int i = 1; i <= list.Count(); ++i) {
        const std::string_view piece = list.At(i);
        if (TextRight(piece, TextLength(kDeletionSuffix)) == kDeletionSuffix) continue;
        joined.append(piece);
        joined.append(kPieceSeparator);
    }
    return TextLeft(joined, TextLength(joined) - TextLength(kPieceSeparator));
}

}  // namespace

Text MergeCookies(Text& cookies, Text& newCookies) {
    cookies = RemoveAllSpaces(cookies);
    newCookies = RemoveAllSpaces(newCookies);
    const TextArray oldList = SplitText(cookies, ";");
    TextArray mergedList = SplitText(newCookies, ";");
    for (int i = 1; i <= oldList.Count(); ++i) {
        // Pieces appended here count for later old pieces too, so of several old
        // pieces with one name only the first is carried over.
        if (!HasCookieNamed(mergedList, CookieName(oldList.At(i))))
            mergedList.Append(oldList.At(i));
    }
    cookies = RemoveRepeatedPieces(JoinKeptPieces(mergedList), kPieceSeparator);
    return cookies;
}

Text CookieName(std::string_view piece) {
    const int equals = FindText(piece, "=");
    if (equals == -1) return TrimSpaces(piece);
    return TrimSpaces(TextLeft(piece, equals - 1));
}

bool HasCookieNamed(const TextArray& list, std::string_view name) {
    for (int i = 1; i <= list.Count(); ++i) {
        if (TextEquals(CookieName(list.At(i)), name)) return true;
    }
    return false;
}

Text RemoveRepeatedPieces(std::string_view text, std::string_view delimiter) {
    const TextArray pieces = SplitText(text, delimiter);
    TextArray seen;
    Text output;
    for (int i = 1; i <= pieces.Count(); ++i) {
        const std::string_view piece = pieces.At(i);
        if (IndexOfText(seen, piece) != -1) continue;
        seen.Append(piece);
        output.append(piece);
        output.append(delimiter);
    }
    return TextLeft(output, TextLength(output) - TextLength(delimiter));
}

int IndexOfText(const TextArray& list, std::string_view text) noexcept {
    for (int i = 1; i <= list.Count(); ++i) {
        if (TextEquals(list.At(i), text)) return i;
    }
    return -1;
}

}  // namespace qingqu
