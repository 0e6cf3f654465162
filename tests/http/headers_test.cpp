#include "http/headers.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <climits>

namespace qingqu {
namespace {

using ::testing::ElementsAre;

constexpr char kUserAgentLine[] = "User-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
constexpr char kContentTypeLine[] = "Content-Type: application/x-www-form-urlencoded";

TEST(HeaderLineTest, SplitsAtTheFirstColonAndTrims) {
    struct Case {
        const char* line;
        const char* name;
        const char* value;
    };
    const Case cases[] = {
        {"Host: a:b", "Host", "a:b"},
        {"  X-A  :  1 2  ", "X-A", "1 2"},
        {"abc", "", ""},
        {":v", "", "v"},
        {"n:", "n", ""},
        {"", "", ""},
        {"\xA1\xA1n\xA1\xA1:\xA1\xA1v", "n", "v"},
        // The second byte of a two-byte character is not a colon.
        {"\x81:a:b", "\x81:a", "b"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HeaderName(c.line), c.name) << c.line;
        EXPECT_EQ(HeaderValue(c.line), c.value) << c.line;
    }
}

TEST(TextBetweenTest, CutsBetweenTheMarkers) {
    EXPECT_EQ(TextBetween("Set-Cookie: a=1; p", "Set-Cookie:", ";"), " a=1");
    EXPECT_EQ(TextBetween("ab", "x", "b"), "");
    EXPECT_EQ(TextBetween("ab", "a", "x"), "");
    EXPECT_EQ(TextBetween("ab", "a", "b"), "");
    EXPECT_EQ(TextBetween("a;b;c;", ";", ";"), "b");
    // The right marker is searched only after the left one.
    EXPECT_EQ(TextBetween("]x[y]", "[", "]"), "y");
}

TEST(TextBetweenTest, QuoteMarkerStandsForADoubleQuote) {
    const Text quote = "#\xD2\xFD\xBA\xC5";  // "#引号"
    EXPECT_EQ(TextBetween("value=\"42\";", "value=" + quote, quote), "42");
    EXPECT_EQ(TextBetween("#\xD2\xFD\xBA\xC5x\"", "a", quote), "");
}

TEST(MethodTextTest, OutOfRangeCountsAsGet) {
    EXPECT_EQ(MethodText(0), "GET");
    EXPECT_EQ(MethodText(1), "POST");
    EXPECT_EQ(MethodText(2), "HEAD");
    EXPECT_EQ(MethodText(3), "GET");
    EXPECT_EQ(MethodText(-1), "GET");
}

TEST(TimeoutMillisecondsTest, CoversEveryRange) {
    EXPECT_EQ(TimeoutMilliseconds(-1), std::nullopt);
    EXPECT_EQ(TimeoutMilliseconds(0), 15000);
    EXPECT_EQ(TimeoutMilliseconds(-2), 15000);
    EXPECT_EQ(TimeoutMilliseconds(INT_MIN), 15000);
    EXPECT_EQ(TimeoutMilliseconds(1), 1000);
    EXPECT_EQ(TimeoutMilliseconds(30), 30000);
    EXPECT_EQ(TimeoutMilliseconds(INT_MAX / 1000), INT_MAX / 1000 * 1000);
    EXPECT_EQ(TimeoutMilliseconds(INT_MAX / 1000 + 1), INT_MAX);
    EXPECT_EQ(TimeoutMilliseconds(INT_MAX), INT_MAX);
}

TEST(CompleteHeaderTextTest, EmptyTextGetsTheFiveDefaultLines) {
    Text headers;
    CompleteHeaderText(headers, "http://h/p");
    EXPECT_EQ(headers, Text("Accept: */*\r\nReferer: http://h/p\r\nAccept-Language: zh-cn\r\n") +
                           kUserAgentLine + "\r\n" + kContentTypeLine);
}

TEST(CompleteHeaderTextTest, MarkersCountAnywhereWithExactLetterCase) {
    struct Case {
        const char* headers;
        const char* completed;  // before the User-Agent and Content-Type lines
    };
    const Case cases[] = {
        {"accept: text/html",
         "accept: text/html\r\nAccept: */*\r\nReferer: u\r\nAccept-Language: zh-cn"},
        {"X-Referer: a", "X-Referer: a\r\nAccept: */*\r\nAccept-Language: zh-cn"},
        {"Accept: a\r\nReferer: r\r\nAccept-Language: en",
         "Accept: a\r\nReferer: r\r\nAccept-Language: en"},
        // A text ending in CR LF gets an empty line before the appended ones.
        {"X: 1\r\n", "X: 1\r\n\r\nAccept: */*\r\nReferer: u\r\nAccept-Language: zh-cn"},
    };
    for (const Case& c : cases) {
        Text headers = c.headers;
        CompleteHeaderText(headers, "u");
        EXPECT_EQ(headers, Text(c.completed) + "\r\n" + kUserAgentLine + "\r\n" + kContentTypeLine)
            << c.headers;
    }
}

TEST(CompleteHeaderTextTest, OneLineWithEveryMarkerStaysOneLine) {
    const Text line = "X: Accept: Referer: Accept-Language: User-Agent: Content-Type: z";
    Text headers = line;
    CompleteHeaderText(headers, "u");
    EXPECT_EQ(headers, line);
    EXPECT_THAT(RequestHeaderLines("", headers),
                ElementsAre(HeaderLine{"X",
                                       "Accept: Referer: Accept-Language: User-Agent: "
                                       "Content-Type: z"}));
}

TEST(RequestHeaderLinesTest, CookieFirstThenEveryNonEmptyLine) {
    EXPECT_THAT(RequestHeaderLines("a=1", "Cookie: b=2\r\n\r\nHost: a:b\r\nabc\r\n"),
                ElementsAre(HeaderLine{"Cookie", "a=1"}, HeaderLine{"Cookie", "b=2"},
                            HeaderLine{"Host", "a:b"}, HeaderLine{"", ""}));
    EXPECT_THAT(RequestHeaderLines("", "Accept: */*"), ElementsAre(HeaderLine{"Accept", "*/*"}));
    // Cookies are sent exactly as given, blanks included.
    EXPECT_THAT(RequestHeaderLines(" a = 1 ", "Accept: */*"),
                ElementsAre(HeaderLine{"Cookie", " a = 1 "}, HeaderLine{"Accept", "*/*"}));
}

TEST(NormalizeSetCookieTest, WritesEveryLetterCaseTheSame) {
    EXPECT_EQ(NormalizeSetCookie("set-cookie: a\r\nSET-COOKIE2: b\r\nX-Set-cookie: c"),
              "Set-Cookie: a\r\nSet-Cookie2: b\r\nX-Set-Cookie: c");
    // A match never starts on the second byte of a two-byte character.
    EXPECT_EQ(NormalizeSetCookie("\x81set-cookie set-cookie"), "\x81set-cookie Set-Cookie");
}

TEST(CollectReturnedCookiesTest, TakesTheNameValueOfEachSetCookieLine) {
    struct Case {
        const char* headers;
        const char* cookies;
    };
    const Case cases[] = {
        {"HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n\r\n", "a=1; b=2"},
        {"HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n", ""},
        {"", ""},
        {"Set-Cookie2: c=3; x\r\nSet-Cookie: d=4", "; d=4"},
        {"Set-Cookie2: c=3", "Set-Cookie2: c=3"},
        {"X-Set-Cookie: e=5;", "e=5"},
        {"Set-Cookie:   f = 6  ", "f = 6"},
        {"Set-Cookie: g=7; Set-Cookie: h=8", "g=7"},
        // Only lines in the normalised letter case count.
        {"set-cookie: i=9", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CollectReturnedCookies(c.headers), c.cookies) << c.headers;
}

TEST(CollectReturnedCookiesTest, FollowsNormalisation) {
    const Text headers = NormalizeSetCookie("Set-Cookie: a=1; path=/\r\nset-cookie: b=2\r\n");
    EXPECT_EQ(headers, "Set-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n");
    EXPECT_EQ(CollectReturnedCookies(headers), "a=1; b=2");
}

}  // namespace
}  // namespace qingqu
