#include "check/code_page.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <string>

namespace qingqu {
namespace {

// Each character in UTF-8 and in code page 936. The 936 bytes were produced once
// by Python's cp936 codec, which agrees with the Windows table for these
// characters; it lacks the euro sign (Windows: 0x80), tested apart below.
struct CharacterCase {
    const char* utf8;
    const char* gbk;
};
constexpr CharacterCase kCharacters[] = {
    {"\xE6\xB2\xA1", "\xC3\xBB"},  // U+6CA1
    {"\xE6\x9C\x89", "\xD3\xD0"},  // U+6709
    {"\xE6\x89\xBE", "\xD5\xD2"},  // U+627E
    {"\xE9\x9D\x92", "\xC7\xE0"},  // U+9752
    {"\xE8\x95\x96", "\xDE\xA1"},  // U+8556
    {"\xE5\xB7\xB2", "\xD2\xD1"},  // U+5DF2
    {"\xE6\x94\xB6", "\xCA\xD5"},  // U+6536
    {"\xE5\xBD\x95", "\xC2\xBC"},  // U+5F55
    {"\xE6\x9C\xAA", "\xCE\xB4"},  // U+672A
    {"\xEF\xBC\x8C", "\xA3\xAC"},  // U+FF0C
    {"\xE3\x80\x82", "\xA1\xA3"},  // U+3002
    {"\xEF\xBC\x81", "\xA3\xA1"},  // U+FF01
    {"\xEF\xBC\x9A", "\xA3\xBA"},  // U+FF1A
    {"\xE3\x80\x80", "\xA1\xA1"},  // U+3000
    {"\x41", "\x41"},              // U+0041
    {"\x7E", "\x7E"},              // U+007E
    {"\xC2\xB7", "\xA1\xA4"},      // U+00B7
    {"\xE2\x80\x94", "\xA1\xAA"},  // U+2014
    {"\xE2\x80\xA6", "\xA1\xAD"},  // U+2026
    {"\xE2\x80\x9C", "\xA1\xB0"},  // U+201C
    {"\xE2\x80\x9D", "\xA1\xB1"},  // U+201D
    {"\xE3\x80\x81", "\xA1\xA2"},  // U+3001
    {"\xE3\x80\x8A", "\xA1\xB6"},  // U+300A
    {"\xE3\x80\x8B", "\xA1\xB7"},  // U+300B
    {"\xE4\xB8\x82", "\x81\x40"},  // U+4E02
    {"\xE9\xBE\xA5", "\xFD\x9B"},  // U+9FA5
    {"\xC3\xA9", "\xA8\xA6"},      // U+00E9
    {"\xCE\xB1", "\xA6\xC1"},      // U+03B1
    {"\xD0\xAF", "\xA7\xC1"},      // U+042F
    {"\xE3\x81\x82", "\xA4\xA2"},  // U+3042
    {"\xE3\x82\xA2", "\xA5\xA2"},  // U+30A2
    {"\xE2\x91\xA0", "\xA2\xD9"},  // U+2460
    {"\xE2\x88\xB6", "\xA1\xC3"},  // U+2236
    {"\xEF\xBD\x9E", "\xA1\xAB"},  // U+FF5E
    {"\xE7\xB9\x81", "\xB7\xB1"},  // U+7E41
    {"\xE9\xAB\x94", "\xF3\x77"},  // U+9AD4
    {"\xC2\xA4", "\xA1\xE8"},      // U+00A4
};

TEST(CodePageTest, CharactersMatchAnIndependentTable) {
    for (const CharacterCase& c : kCharacters) {
        EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk) << c.utf8;
        EXPECT_EQ(GbkToUtf8(c.gbk), c.utf8) << c.utf8;
    }
}

TEST(CodePageTest, WholeTableInOneTextConvertsAlike) {
    Text utf8;
    Text gbk;
    for (const CharacterCase& c : kCharacters) {
        utf8 += c.utf8;
        gbk += c.gbk;
    }
    EXPECT_EQ(Utf8ToGbk(utf8), gbk);
    EXPECT_EQ(GbkToUtf8(gbk), utf8);
}

TEST(CodePageTest, EuroSignIsByte80InTheWindowsTable) {
    EXPECT_EQ(Utf8ToGbk("\xE2\x82\xAC"), "\x80");
    EXPECT_EQ(GbkToUtf8("\x80"), "\xE2\x82\xAC");
}

TEST(Utf8ToGbkTest, EmptyTextGivesEmptyText) {
    const Text page = Utf8ToGbk("");
    EXPECT_EQ(page, "");
    EXPECT_EQ(FindText(page, "\xC3\xBB\xD3\xD0\xD5\xD2"), -1);
}

TEST(Utf8ToGbkTest, AsciiComesThroughUnchanged) {
    Text ascii;
    for (int byte = 1; byte < 0x80; ++byte) ascii += static_cast<char>(byte);
    EXPECT_EQ(Utf8ToGbk(ascii), ascii);
}

TEST(Utf8ToGbkTest, MarkerIsFoundInAConvertedPage) {
    const Text page = Utf8ToGbk(
        "<p>\xE6\x8A\xB1\xE6\xAD\x89\xEF\xBC\x8C\xE6\xB2\xA1\xE6\x9C\x89\xE6\x89\xBE\xE5\x88\xB0"
        "</p>");
    EXPECT_NE(FindText(page, "\xC3\xBB\xD3\xD0\xD5\xD2"), -1);  // "没有找"
}

TEST(Utf8ToGbkTest, InvalidBytesBecomeQuestionMarksInPlace) {
    struct Case {
        const char* utf8;
        const char* gbk;
    };
    const Case cases[] = {
        {"a\xFF"
         "b",
         "a?b"},
        {"\xFF", "?"},
        {"\xE6\xB2\xA1\xFF\xE6\x9C\x89", "\xC3\xBB?\xD3\xD0"},
        {"x\x80y", "x?y"},  // a continuation byte without a lead byte
        {"\xE6\xB2", "?"},  // a character cut short at the end
    };
    for (const Case& c : cases) EXPECT_EQ(Utf8ToGbk(c.utf8), c.gbk) << c.gbk;
}

TEST(Utf8ToGbkTest, CharactersCodePage936LacksBecomeQuestionMarks) {
    // U+0E01 (Thai) has no code in 936.
    EXPECT_EQ(Utf8ToGbk("a\xE0\xB8\x81z"), "a?z");
}

TEST(Utf8ToGbkTest, CharacterOutsideTheBasicPlaneIsReplaced) {
    // U+1F600: one or two default characters, and nothing else is lost.
    const Text page = Utf8ToGbk("a\xF0\x9F\x98\x80z");
    EXPECT_TRUE(page == "a?z" || page == "a??z") << page;
}

TEST(TextToUtf16Test, UnitsAreLittleEndianWithATerminatingZero) {
    EXPECT_EQ(TextToUtf16("", 0, false), (Bytes{0, 0}));
    EXPECT_EQ(TextToUtf16("A\xE6\xB2\xA1", 0, false), (Bytes{0x41, 0, 0xA1, 0x6C, 0, 0}));
    EXPECT_EQ(TextToUtf16("\xF0\x9F\x98\x80", 0, false), (Bytes{0x3D, 0xD8, 0x00, 0xDE, 0, 0}));
}

TEST(TextToUtf16Test, CodePageIsUsedOnlyWhenAsked) {
    // C3 BB is "没" in 936 and U+00FB in UTF-8.
    EXPECT_EQ(TextToUtf16("\xC3\xBB", 936, true), (Bytes{0xA1, 0x6C, 0, 0}));
    EXPECT_EQ(TextToUtf16("\xC3\xBB", 936, false), (Bytes{0xFB, 0x00, 0, 0}));
}

TEST(Utf16ToTextTest, StopsAtTheFirstZeroUnit) {
    EXPECT_EQ(Utf16ToText(Bytes{0x41, 0, 0xA1, 0x6C, 0, 0, 0x42, 0}, 936, true), "A\xC3\xBB");
    EXPECT_EQ(Utf16ToText(Bytes{0x41, 0, 0x42, 0}, 936, true), "AB");
    EXPECT_EQ(Utf16ToText(Bytes{0x41, 0, 0x42}, 936, true), "A");  // a lone last byte
    EXPECT_EQ(Utf16ToText(Bytes{}, 936, true), "");
    EXPECT_EQ(Utf16ToText(Bytes{0x41, 0x01}, 65001, true), "\xC5\x81");  // U+0141
}

TEST(Utf16ToTextTest, WithoutCodePageUsesTheSystemOne) {
    EXPECT_EQ(Utf16ToText(Bytes{0x41, 0, 0x7A, 0, 0, 0}, 936, false), "Az");
}

// Texts longer than one converter call go through in pieces; a character that
// straddles the cut point must come out whole, whatever sits at the cut.
constexpr std::size_t kPiece = std::size_t{1} << 24;

TEST(CodePageTest, LongTextsConvertWholeAcrossPieces) {
    for (std::size_t shift = 0; shift < 4; ++shift) {
        Text utf8(kPiece - shift, 'a');
        Text gbk(kPiece - shift, 'a');
        Text backToUtf8(kPiece - shift, 'a');
        for (int i = 0; i < 3; ++i) {
            utf8 += "\xE6\xB2\xA1\xFF";  // a three-byte character, then an invalid byte
            gbk += "\xC3\xBB?";
            backToUtf8 += "\xE6\xB2\xA1?";
        }
        EXPECT_TRUE(Utf8ToGbk(utf8) == gbk) << shift;
        EXPECT_TRUE(GbkToUtf8(gbk) == backToUtf8) << shift;
    }
}

TEST(CodePageTest, LongTextKeepsASurrogatePairAtTheCutTogether) {
    Bytes units;
    for (std::size_t i = 0; i + 1 < kPiece; ++i) units.insert(units.end(), {'a', 0});
    units.insert(units.end(), {0x3D, 0xD8, 0x00, 0xDE, 'z', 0, 0, 0});  // U+1F600, "z"
    const Text utf8 = Utf16ToText(units, 65001, true);
    ASSERT_EQ(utf8.size(), kPiece - 1 + 5);
    EXPECT_EQ(utf8.substr(kPiece - 1), "\xF0\x9F\x98\x80z");
}

}  // namespace
}  // namespace qingqu
