// Properties of the text operations on arbitrary bytes. Each property block takes
// the same decoded input and aborts with a message when a property fails; a new
// block is one more function in kProperties.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/dbcs.h"
#include "text/text.h"

namespace qingqu {
namespace {

struct FuzzInput {
    std::string part;  // a short piece to search for, split at or replace
    std::string text;
    int start = 1;  // a search start, around the text's range
};

FuzzInput Decode(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider provider(data, size);
    FuzzInput input;
    input.start = provider.ConsumeIntegralInRange<int>(-2, 70);
    input.part = provider.ConsumeRandomLengthString(8);
    input.text = provider.ConsumeRemainingBytesAsString();
    return input;
}

void Require(bool holds, const char* property) {
    if (holds) return;
    std::fprintf(stderr, "property failed: %s\n", property);
    std::abort();
}

char FoldLetter(char byte) {
    return byte >= 'A' && byte <= 'Z' ? static_cast<char>(byte - 'A' + 'a') : byte;
}

bool IsSpaceAt(std::string_view text, std::size_t at) {
    return text[at] == ' ' ||
           (static_cast<unsigned char>(text[at]) == 0xA1 && at + 1 < text.size() &&
            static_cast<unsigned char>(text[at + 1]) == 0xA1);
}

// The character boundaries of text as a scan from `from` sees them, in order.
template <class Visit>
void ForEachBoundary(std::string_view text, std::size_t from, Visit visit) {
    for (std::size_t at = from; at < text.size(); at += CharLengthAt(text, at)) visit(at);
}

// The first match at or after `from` found by walking one character at a time.
std::size_t WalkToMatch(std::string_view text, std::string_view part, std::size_t from) {
    for (std::size_t at = from; at <= text.size() && text.size() - at >= part.size();
         at += at < text.size() ? CharLengthAt(text, at) : 1) {
        if (text.compare(at, part.size(), part) == 0) return at;
    }
    return std::string_view::npos;
}

void CheckFind(const FuzzInput& in) {
    if (in.part.empty()) return;
    const int found = FindText(in.text, in.part, in.start);
    const std::size_t from = static_cast<std::size_t>(in.start < 1 ? 0 : in.start - 1);
    if (found == -1) {
        Require(
            from >= in.text.size() || WalkToMatch(in.text, in.part, from) == std::string_view::npos,
            "FindText misses no match on a character boundary");
        return;
    }
    const auto at = static_cast<std::size_t>(found - 1);
    Require(at >= from, "FindText finds nothing before its start");
    Require(in.text.compare(at, in.part.size(), in.part) == 0, "FindText's match holds the part");
    bool onBoundary = false;
    ForEachBoundary(in.text, from, [&](std::size_t boundary) { onBoundary |= boundary == at; });
    Require(onBoundary, "FindText's match begins on a character boundary");
    Require(WalkToMatch(in.text, in.part, from) == at, "FindText finds the first match");
}

void CheckSplit(const FuzzInput& in) {
    const TextArray pieces = SplitText(in.text, in.part);
    if (in.text.empty()) {
        Require(pieces.Count() == 0, "SplitText of the empty text gives no piece");
        return;
    }
    std::string joined;
    for (int position = 1; position <= pieces.Count(); ++position) {
        if (position > 1) joined += in.part;
        joined += pieces.At(position);
    }
    Require(joined == in.text || joined + in.part == in.text,
            "SplitText's pieces joined give the text but for a trailing delimiter");
}

void CheckReplace(const FuzzInput& in) {
    Require(ReplaceText(in.text, in.part, in.part, false) == in.text,
            "ReplaceText of a part by itself changes nothing");
    // With letter case folded, replacing a part by itself changes letter case only.
    const Text folded = ReplaceText(in.text, in.part, in.part, true);
    Require(folded.size() == in.text.size(), "folded ReplaceText by itself keeps the length");
    for (std::size_t i = 0; i < folded.size(); ++i) {
        Require(FoldLetter(folded[i]) == FoldLetter(in.text[i]),
                "folded ReplaceText by itself changes letter case only");
    }
    // Removing every occurrence leaves each piece between occurrences in order.
    const Text removed = ReplaceText(in.text, in.part, "", false);
    std::string pieces;
    const TextArray split = SplitText(in.text, in.part);
    for (int position = 1; position <= split.Count(); ++position) pieces += split.At(position);
    Require(in.part.empty() || removed == pieces,
            "ReplaceText by nothing keeps what SplitText keeps");
}

void CheckSpaces(const FuzzInput& in) {
    const Text trimmed = TrimSpaces(in.text);
    Require(in.text.find(trimmed) != std::string::npos, "TrimSpaces gives a part of the text");
    if (!trimmed.empty()) {
        Require(!IsSpaceAt(trimmed, 0), "TrimSpaces leaves no leading space");
        std::size_t last = 0;
        ForEachBoundary(trimmed, 0, [&](std::size_t boundary) { last = boundary; });
        Require(!IsSpaceAt(trimmed, last), "TrimSpaces leaves no trailing space");
    }
    const Text bare = RemoveAllSpaces(in.text);
    ForEachBoundary(bare, 0, [&](std::size_t boundary) {
        Require(!IsSpaceAt(bare, boundary), "RemoveAllSpaces leaves no space");
    });
    Require(TrimSpaces(bare) == bare, "a text without spaces has none to trim");
}

constexpr void (*kProperties[])(const FuzzInput&) = {
    CheckFind,
    CheckSplit,
    CheckReplace,
    CheckSpaces,
};

}  // namespace
}  // namespace qingqu

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const qingqu::FuzzInput input = qingqu::Decode(data, size);
    for (const auto property : qingqu::kProperties) property(input);
    return 0;
}
