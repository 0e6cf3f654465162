// Properties of MergeCookies on arbitrary cookie texts: the merged text holds no
// space but those of its "; " separators, no deletion and no repeated piece, and
// the reply's variable comes back without spaces.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "http/cookies.h"
#include "text/dbcs.h"
#include "text/text.h"

namespace qingqu {
namespace {

void Require(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "property failed: %s\n", property);
    std::abort();
}

// A Text as the program holds one: no zero byte and no two-byte character cut
// short at the end.
Text AsText(std::string bytes) {
    std::erase(bytes, '\0');
    std::size_t at = 0;
    while (at < bytes.size()) {
        if (IsLeadByte(static_cast<unsigned char>(bytes[at])) && at + 1 == bytes.size()) {
            bytes.pop_back();
            break;
        }
        at += CharLengthAt(bytes, at);
    }
    return bytes;
}

void CheckMerge(const Text& cookies, const Text& newCookies) {
    Text merged = cookies;
    Text returned = newCookies;
    const Text result = MergeCookies(merged, returned);
    Require(result == merged, "the result is the merged text");
    Require(returned == RemoveAllSpaces(newCookies), "the reply's cookies lose their spaces");

    const TextArray pieces = SplitText(merged, "; ");
    Text joined;
    for (int i = 1; i <= pieces.Count(); ++i) {
        const std::string_view piece = pieces.At(i);
        Require(RemoveAllSpaces(piece) == piece, "no space inside a piece");
        Require(TextRight(piece, 8) != "=deleted", "no deletion is kept");
        Require(IndexOfText(pieces, piece) == i, "no piece is repeated");
        if (i > 1) joined += "; ";
        joined += piece;
    }
    // An empty piece kept last leaves its separator at the end.
    Require(merged == joined || merged == joined + "; ", "pieces are joined by \"; \"");

    // Every cookie the reply set is kept, and nothing else comes from nowhere.
    const TextArray replyPieces = SplitText(returned, ";");
    const TextArray callerPieces = SplitText(RemoveAllSpaces(cookies), ";");
    for (int i = 1; i <= replyPieces.Count(); ++i) {
        const std::string_view piece = replyPieces.At(i);
        if (piece.empty() || TextRight(piece, 8) == "=deleted") continue;
        Require(IndexOfText(pieces, piece) != -1, "the reply's pieces are kept");
    }
    for (int i = 1; i <= pieces.Count(); ++i) {
        Require(IndexOfText(replyPieces, pieces.At(i)) != -1 ||
                    IndexOfText(callerPieces, pieces.At(i)) != -1,
                "every piece comes from the reply or the caller");
    }
}

}  // namespace
}  // namespace qingqu

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    const qingqu::Text cookies = qingqu::AsText(provider.ConsumeRandomLengthString(64));
    const qingqu::Text newCookies = qingqu::AsText(provider.ConsumeRemainingBytesAsString());
    qingqu::CheckMerge(cookies, newCookies);
    return 0;
}
