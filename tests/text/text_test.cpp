#include "text/text.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

namespace qingqu {
namespace {

using ::testing::ElementsAreArray;

// Code page 936 bytes of the marker "没有找" and of a full-width space.
constexpr std::string_view kMarker = "\xC3\xBB\xD3\xD0\xD5\xD2";
constexpr std::string_view kWideSpace = "\xA1\xA1";

std::vector<std::string> Elements(const TextArray& list) {
    std::vector<std::string> elements;
    for (int position = 1; position <= list.Count(); ++position)
        elements.emplace_back(list.At(position));
    return elements;
}

// The scan written out the slow way, one character at a time from the byte where
// it begins, to check the fast searches against.
std::size_t WalkToMatch(std::string_view text, std::string_view part, std::size_t from,
                        bool ignoreCase) {
    auto fold = [](unsigned char byte) { return byte >= 'A' && byte <= 'Z' ? byte + 32 : byte; };
    for (std::size_t at = from; text.size() - at >= part.size();) {
        std::size_t same = 0;
        while (same < part.size() && (ignoreCase ? fold(text[at + same]) == fold(part[same])
                                                 : text[at + same] == part[same]))
            ++same;
        if (same == part.size()) return at;
        if (at == text.size()) break;
        at += static_cast<unsigned char>(text[at]) >= 0x80 && at + 1 < text.size() ? 2 : 1;
    }
    return std::string_view::npos;
}

int WalkFind(std::string_view text, std::string_view part, int start) {
    if (start < 1) start = 1;
    if (static_cast<std::size_t>(start) > text.size()) return -1;
    const std::size_t at = WalkToMatch(text, part, start - 1, false);
    return at == std::string_view::npos ? -1 : static_cast<int>(at) + 1;
}

std::vector<std::string> WalkSplit(std::string_view text, std::string_view delimiter) {
    std::vector<std::string> pieces;
    std::size_t begin = 0;
    for (std::size_t at; !text.empty() && (at = WalkToMatch(text, delimiter, begin, false)) !=
                                              std::string_view::npos;) {
        pieces.emplace_back(text.substr(begin, at - begin));
        begin = at + delimiter.size();
    }
    if (begin < text.size()) pieces.emplace_back(text.substr(begin));
    return pieces;
}

std::string WalkReplace(std::string_view text, std::string_view part, std::string_view by,
                        bool ignoreCase) {
    std::string result;
    std::size_t begin = 0;
    for (std::size_t at;
         (at = WalkToMatch(text, part, begin, ignoreCase)) != std::string_view::npos;) {
        result.append(text.substr(begin, at - begin)).append(by);
        begin = at + part.size();
    }
    return result.append(text.substr(begin));
}

// Every text of up to `maxLength` bytes over `alphabet`.
std::vector<std::string> AllTexts(std::string_view alphabet, std::size_t maxLength) {
    std::vector<std::string> texts{""};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (texts[i].size() == maxLength) continue;
        for (char byte : alphabet) texts.push_back(texts[i] + byte);
    }
    return texts;
}

TEST(TextCutTest, LeftRightAndMidKeepToTheText) {
    struct Case {
        const char* call;
        Text got, expected;
    };
    const Case cases[] = {
        {"TextLeft('abc', 0)", TextLeft("abc", 0), ""},
        {"TextLeft('abc', -2)", TextLeft("abc", -2), ""},
        {"TextLeft('abc', 2)", TextLeft("abc", 2), "ab"},
        {"TextLeft('abc', 5)", TextLeft("abc", 5), "abc"},
        {"TextLeft('abc', INT_MAX)", TextLeft("abc", INT_MAX), "abc"},
        {"TextLeft('', 3)", TextLeft("", 3), ""},
        {"TextRight('abc', 2)", TextRight("abc", 2), "bc"},
        {"TextRight('ab', 8)", TextRight("ab", 8), "ab"},
        {"TextRight('abc', 0)", TextRight("abc", 0), ""},
        {"TextRight('abc', INT_MIN)", TextRight("abc", INT_MIN), ""},
        {"TextRight('', 1)", TextRight("", 1), ""},
        {"TextMid('abcdef', 3, 2)", TextMid("abcdef", 3, 2), "cd"},
        {"TextMid('abcdef', 5, 10)", TextMid("abcdef", 5, 10), "ef"},
        {"TextMid('abc', 3, 1)", TextMid("abc", 3, 1), "c"},
        {"TextMid('abc', 1, INT_MAX)", TextMid("abc", 1, INT_MAX), "abc"},
        {"TextMid('abc', 4, 1)", TextMid("abc", 4, 1), ""},
        {"TextMid('abc', 0, 2)", TextMid("abc", 0, 2), ""},
        {"TextMid('abc', 1, 0)", TextMid("abc", 1, 0), ""},
        {"TextMid('abc', 2, -1)", TextMid("abc", 2, -1), ""},
        {"TextMid('abc', INT_MIN, 2)", TextMid("abc", INT_MIN, 2), ""},
        {"TextMid('abc', INT_MAX, 2)", TextMid("abc", INT_MAX, 2), ""},
        {"TextMid('', 1, 1)", TextMid("", 1, 1), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, c.expected) << c.call;
}

TEST(TextFindTest, FindsFirstMatchOnACharacterBoundary) {
    struct Case {
        std::string text, part;
        int start, expected;
    };
    const Case cases[] = {
        {"ab", "b", 1, 2},
        {"ab", "c", 1, -1},
        {"", "c", 1, -1},
        {"abcabc", "c", 4, 6},
        {"abc", "c", 0, 3},
        {"abc", "c", -7, 3},
        {"abc", "c", 4, -1},
        {"abc", "c", INT_MAX, -1},
        {"b", "B", 1, -1},
        {"abc", "abcd", 1, -1},
        {"abc", "abc", 1, 1},
        // The second byte of a two-byte character never starts a match ...
        {"\x81|", "|", 1, -1},
        {"\x81|a|", "|", 1, 4},
        {ConcatText("\xB1", kMarker), Text(kMarker), 1, -1},
        {"\xB1\xC3\xBB\xD3\xD0\xD5\xD2\xC3\xBB\xD3\xD0\xD5\xD2", Text(kMarker), 1, -1},
        // ... unless the scan begins on it: characters count from the start position.
        {"\x81|", "|", 2, 2},
        {ConcatText("\xB1", kMarker), Text(kMarker), 2, 2},
        // Any byte below 0x80, first or second of a character, ends one.
        {ConcatText("\xB1\x61", kMarker), Text(kMarker), 1, 3},
        {ConcatText("ab", kMarker), Text(kMarker), 1, 3},
        {ConcatText("\xB1\xB2", kMarker), Text(kMarker), 1, 3},
        // A lead byte that is the last byte counts as a character of one byte.
        {"a\x81", "\x81", 1, 2},
        {"\x81\x81\x81", "\x81", 2, 2},
        {"\x81\x61\x81", "\x81", 2, 3},
        {"\x81\x81\x81", "\x81\x81", 2, 2},
        {"", "", 1, -1},
        {"ab", "", 2, 2},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindText(c.text, c.part, c.start), c.expected)
            << "'" << c.text << "' '" << c.part << "' from " << c.start;
    }
    EXPECT_EQ(FindText("abc", "c"), 3);
}

TEST(TextFindTest, MatchesACharacterWalkOnEveryShortText) {
    const auto texts = AllTexts("a|\x81\xA1", 7);
    const auto parts = AllTexts("a|\x81\xA1", 2);
    for (const auto& text : texts) {
        for (const auto& part : parts) {
            if (part.empty()) continue;
            for (int start = 0; start <= static_cast<int>(text.size()) + 1; ++start) {
                ASSERT_EQ(FindText(text, part, start), WalkFind(text, part, start))
                    << "'" << text << "' '" << part << "' from " << start;
            }
        }
    }
}

TEST(TextSplitTest, DropsOnlyATrailingEmptyPiece) {
    struct Case {
        std::string text, delimiter;
        std::vector<std::string> expected;
    };
    const Case cases[] = {
        {"a;b", ";", {"a", "b"}},
        {"a;;b", ";", {"a", "", "b"}},
        {";a", ";", {"", "a"}},
        {"a;b;", ";", {"a", "b"}},
        {";", ";", {""}},
        {";;", ";", {"", ""}},
        {"", ";", {}},
        {"ab", ";", {"ab"}},
        {"\x81|", "|", {"\x81|"}},
        {"a|\x81|b", "|", {"a", "\x81|b"}},
        {"a\nb\n", "\r\n", {"a\nb\n"}},
        {"a\r\nb\r\n\r\nc", "\r\n", {"a", "b", "", "c"}},
        {"\x81\r\nb", "\r\n", {"\x81\r\nb"}},
        {"a; b;c; ", "; ", {"a", "b;c"}},
        {"ab", "", {"ab"}},
    };
    for (const auto& c : cases) {
        EXPECT_THAT(Elements(SplitText(c.text, c.delimiter)), ElementsAreArray(c.expected))
            << "'" << c.text << "' at '" << c.delimiter << "'";
    }
}

TEST(TextSplitTest, MatchesACharacterWalkOnEveryShortText) {
    const auto texts = AllTexts("a|\x81\r", 7);
    for (const std::string delimiter : {"|", "\x81", "\r|", "||", "\x81|"}) {
        for (const auto& text : texts) {
            ASSERT_EQ(Elements(SplitText(text, delimiter)), WalkSplit(text, delimiter))
                << "'" << text << "' at '" << delimiter << "'";
        }
    }
}

TEST(TextReplaceTest, ReplacesEveryOccurrenceOnce) {
    struct Case {
        std::string text, part, replacement;
        bool ignoreCase;
        std::string expected;
    };
    const Case cases[] = {
        {"set-cookie: x", "Set-Cookie", "Set-Cookie", true, "Set-Cookie: x"},
        {"set-cookie: x", "Set-Cookie", "Set-Cookie", false, "set-cookie: x"},
        {"SET-COOKIE: a\r\nset-Cookie: b", "Set-Cookie:", "", true, " a\r\n b"},
        {"aaa", "aa", "b", false, "ba"},
        {"aaa", "a", "aa", false, "aaaaaa"},
        {"a#\xD2\xFD\xBA\xC5"
         "b#\xD2\xFD\xBA\xC5",
         "#\xD2\xFD\xBA\xC5", "\"", false, "a\"b\""},
        {"a,b,,c", ",", "", false, "abc"},
        {"abc", "", "x", false, "abc"},
        {"", "a", "x", false, ""},
        {"abc", "abcd", "x", false, "abc"},
        // Only ASCII letters fold; "[" and "{", 0xC1 and 0xE1 also differ by 0x20.
        {"[x{", "{", "-", true, "[x-"},
        {"\xC1\xA1\xE1\xA1", "\xE1\xA1", "-", true, "\xC1\xA1-"},
        {"ABC", "b", "x", true, "AxC"},
        // No match starts on the second byte of a character, in either mode.
        {"\x81Set-Cookie", "Set-Cookie", "X", true, "\x81Set-Cookie"},
        {"\x81|a|", "|", "/", false, "\x81|a/"},
        // The scan resumes right after a match, even inside what was a character.
        {"a\x81|", "a\x81", "-", false, "-|"},
        {"a\x81|", "|", "-", false, "a\x81|"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReplaceText(c.text, c.part, c.replacement, c.ignoreCase), c.expected)
            << "'" << c.text << "' '" << c.part << "' ignoreCase " << c.ignoreCase;
    }
}

TEST(TextReplaceTest, MatchesACharacterWalkOnEveryShortText) {
    const auto texts = AllTexts("aA|\x81", 6);
    for (const std::string part : {"a", "A|", "\x81\x61", "|\x81", "aa"}) {
        for (const auto& text : texts) {
            for (bool ignoreCase : {false, true}) {
                ASSERT_EQ(ReplaceText(text, part, "<>", ignoreCase),
                          WalkReplace(text, part, "<>", ignoreCase))
                    << "'" << text << "' '" << part << "' ignoreCase " << ignoreCase;
            }
        }
    }
}

TEST(TextSpacesTest, TrimAndRemoveKnowOnlyTheTwoSpaces) {
    struct Case {
        std::string text, trimmed, withoutSpaces;
    };
    const std::string w(kWideSpace);
    const Case cases[] = {
        {"  a b  ", "a b", "ab"},
        {w + " a" + w + "b " + w, "a" + w + "b", "ab"},
        {"\ta\r\n", "\ta\r\n", "\ta\r\n"},
        {"a = 1; b", "a = 1; b", "a=1;b"},
        {"   ", "", ""},
        {w + w, "", ""},
        {"", "", ""},
        // 0xB0 0xA1 is a character; the 0xA1 after it is a lone last byte, no space.
        {"\xB0\xA1\xA1", "\xB0\xA1\xA1", "\xB0\xA1\xA1"},
        {"\xB0\xA1\xA1\xA1 ", "\xB0\xA1", "\xB0\xA1"},
        {"\x81 x", "\x81 x", "\x81 x"},
        {" \xA1", "\xA1", "\xA1"},
        {"\xD6\xD0" + w + "\xCE\xC4", "\xD6\xD0" + w + "\xCE\xC4", "\xD6\xD0\xCE\xC4"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(TrimSpaces(c.text), c.trimmed) << "'" << c.text << "'";
        EXPECT_EQ(RemoveAllSpaces(c.text), c.withoutSpaces) << "'" << c.text << "'";
    }
}

TEST(TextConversionTest, NumbersCodesAndBlanks) {
    EXPECT_EQ(NumberToText(0), "0");
    EXPECT_EQ(NumberToText(12), "12");
    EXPECT_EQ(NumberToText(-3), "-3");
    EXPECT_EQ(NumberToText(INT_MIN), "-2147483648");
    EXPECT_EQ(NumberToText(INT_MAX), "2147483647");
    EXPECT_EQ(CharFromCode(0), "");
    EXPECT_EQ(CharFromCode('|'), "|");
    EXPECT_EQ(CharFromCode(0xFF), "\xFF");
    EXPECT_EQ(CharFromCode(0x100), "");
    EXPECT_EQ(CharFromCode(-1), "");
    EXPECT_EQ(BlankText(3), "   ");
    EXPECT_EQ(BlankText(0), "");
    EXPECT_EQ(BlankText(-1), "");
    EXPECT_EQ(BlankBytes(2), Bytes({0, 0}));
    EXPECT_TRUE(BlankBytes(0).empty());
    EXPECT_TRUE(BlankBytes(INT_MIN).empty());
}

TEST(TextConversionTest, BytesBecomeTextUpToTheFirstZero) {
    EXPECT_EQ(BytesToText({'a', 'b', 0, 'c', 'd'}), "ab");
    EXPECT_EQ(BytesToText({0, 'a'}), "");
    EXPECT_EQ(BytesToText({}), "");
    EXPECT_EQ(BytesToText({'a', 0xD6, 0xD0}), "a\xD6\xD0");
    EXPECT_EQ(TextToBytes("a\xD6\xD0"), Bytes({'a', 0xD6, 0xD0}));
    EXPECT_TRUE(TextToBytes("").empty());
}

TEST(TextJoinTest, ConcatAndEqualsWorkByteForByte) {
    const Text owned = "b";
    EXPECT_EQ(ConcatText("a", owned, std::string_view("\xD6\xD0"), Text()), "ab\xD6\xD0");
    EXPECT_EQ(ConcatBytes(Bytes{1, 0}, Bytes{}, Bytes{0, 2}), Bytes({1, 0, 0, 2}));
    EXPECT_TRUE(ConcatBytes(Bytes{}, Bytes{}).empty());
    EXPECT_TRUE(TextEquals("", ""));
    EXPECT_FALSE(TextEquals("a", "A"));
    EXPECT_FALSE(TextEquals("a", ""));
    EXPECT_FALSE(TextEquals("ab", "a"));
    EXPECT_TRUE(TextEquals("\xD6\xD0", "\xD6\xD0"));
    EXPECT_EQ(TextLength(""), 0);
    EXPECT_EQ(TextLength("a\xD6\xD0"), 3);
}

TEST(TextArrayTest, AppendKeepsCopiesInOrder) {
    TextArray list;
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.At(1), "");
    list = SplitText("a;b", ";");
    list.Append("");
    list.Append("cd");
    // An element of the list itself, appended often enough to move the buffer.
    for (int i = 0; i < 40; ++i) list.Append(list.At(4));
    EXPECT_EQ(list.Count(), 44);
    EXPECT_EQ(list.At(1), "a");
    EXPECT_EQ(list.At(3), "");
    EXPECT_EQ(list.At(44), "cd");
    EXPECT_EQ(list.At(0), "");
    EXPECT_EQ(list.At(45), "");

    TextArray copy = list;
    copy.Append("e");
    EXPECT_EQ(list.Count(), 44);
    EXPECT_EQ(copy.At(45), "e");
}

}  // namespace
}  // namespace qingqu
