#include "http/cookies.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string_view>

namespace qingqu {
namespace {

struct MergeCase {
    const char* cookies;
    const char* newCookies;
    const char* merged;
};

// Test names show the two texts, bytes outside printable ASCII as \xNN.
void PrintQuoted(std::string_view text, std::ostream* out) {
    constexpr char kDigits[] = "0123456789ABCDEF";
    *out << '\'';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F)
            *out << c;
        else
            *out << "\\x" << kDigits[byte >> 4] << kDigits[byte & 0xF];
    }
    *out << '\'';
}

void PrintTo(const MergeCase& c, std::ostream* out) {
    PrintQuoted(c.cookies, out);
    *out << " + ";
    PrintQuoted(c.newCookies, out);
}

class MergeCookiesTest : public ::testing::TestWithParam<MergeCase> {};

TEST_P(MergeCookiesTest, MergesIntoTheCallersVariables) {
    const MergeCase& c = GetParam();
    Text cookies = c.cookies;
    Text newCookies = c.newCookies;
    const Text result = MergeCookies(cookies, newCookies);
    EXPECT_EQ(cookies, c.merged);
    EXPECT_EQ(result, c.merged);
    EXPECT_EQ(newCookies, RemoveAllSpaces(c.newCookies));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MergeCookiesTest,
    ::testing::Values(MergeCase{"a=1; b=2", "b=3", "b=3; a=1"},
                      MergeCase{"a=1; b=2", "b=deleted", "a=1"}, MergeCase{"x=deleted", "", ""},
                      MergeCase{"", "", ""}, MergeCase{"a = 1", "", "a=1"},
                      MergeCase{"a=1;a=2", "", "a=1"}, MergeCase{"", "a=1; a=2", "a=1; a=2"},
                      MergeCase{"", "a=1; a=1", "a=1"}, MergeCase{"", "x=1; y=2", "x=1; y=2"},
                      MergeCase{"n=a b", "", "n=ab"}, MergeCase{"a=1;", "", "a=1"},
                      MergeCase{"a=1;", "b=2", "b=2; a=1"},
                      MergeCase{"a=1;;b=2", "c=3", "c=3; a=1; ; b=2"},
                      MergeCase{"SID=1", "sid=2", "sid=2; SID=1"},
                      // A full-width space (A1 A1) is a space like the ASCII one.
                      MergeCase{"n=\xA1\xA1v\xA1\xA1", "", "n=v"},
                      // A two-byte character whose second byte is ";" does not split a piece.
                      MergeCase{"n=\x81;x; m=1", "m=deleted", "n=\x81;x"},
                      // A deleted name in the reply also stops an old piece that is a deletion.
                      MergeCase{"a=deleted; b=1", "a=2", "a=2; b=1"},
                      // An empty piece that ends up last keeps its separator: "a; ; a" loses only
                      // the repeated "a".
                      MergeCase{"", "a;;a", "a; "},
                      // A reply that sets one cookie twice keeps both values, in its order.
                      MergeCase{"a=0", "a=1; b=1; a=2", "a=1; b=1; a=2"}));

TEST(MergeCookiesTest, WritesTheReplysCookiesBackWithoutSpaces) {
    Text cookies;
    Text newCookies = "x=1; y=2";
    MergeCookies(cookies, newCookies);
    EXPECT_EQ(newCookies, "x=1;y=2");
}

TEST(CookieNameTest, IsTheTrimmedTextBeforeTheFirstEquals) {
    EXPECT_EQ(CookieName(" a =1=2"), "a");
    EXPECT_EQ(CookieName("  flag \xA1\xA1"), "flag");
    EXPECT_EQ(CookieName("=1"), "");
    EXPECT_EQ(CookieName(""), "");
}

TEST(HasCookieNamedTest, ComparesNamesExactly) {
    TextArray list;
    EXPECT_FALSE(HasCookieNamed(list, ""));
    list.Append("a=1");
    list.Append("B = 2");
    EXPECT_TRUE(HasCookieNamed(list, "a"));
    EXPECT_TRUE(HasCookieNamed(list, "B"));
    EXPECT_FALSE(HasCookieNamed(list, "b"));
    EXPECT_FALSE(HasCookieNamed(list, "a=1"));
}

TEST(RemoveRepeatedPiecesTest, KeepsTheFirstOfEqualPieces) {
    EXPECT_EQ(RemoveRepeatedPieces("a=1; a=2; a=1; b; a=2", "; "), "a=1; a=2; b");
    EXPECT_EQ(RemoveRepeatedPieces("x|x|", "|"), "x");
    EXPECT_EQ(RemoveRepeatedPieces("; a; ", "; "), "; a");
    EXPECT_EQ(RemoveRepeatedPieces("", "; "), "");
}

TEST(IndexOfTextTest, FindsTheFirstEqualElement) {
    TextArray list;
    EXPECT_EQ(IndexOfText(list, ""), -1);
    list.Append("a");
    list.Append("");
    list.Append("a");
    EXPECT_EQ(IndexOfText(list, "a"), 1);
    EXPECT_EQ(IndexOfText(list, ""), 2);
    EXPECT_EQ(IndexOfText(list, "A"), -1);
}

}  // namespace
}  // namespace qingqu
