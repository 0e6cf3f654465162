#include "app/url_file.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace qingqu {
namespace {

using Lines = std::vector<std::string>;

Lines Split(std::string_view text) {
    Lines lines;
    for (std::string_view line : SplitUrlLines(text)) lines.emplace_back(line);
    return lines;
}

struct SplitCase {
    const char* name;
    std::string text;
    Lines lines;
};

TEST(SplitUrlLinesTest, LinesEndAtCrLfOrLoneLf) {
    const SplitCase cases[] = {
        {"empty file", "", {}},
        {"two lines with CR LF", "a\r\nb\r\n", {"a", "b"}},
        {"empty line in the middle", "a\r\n\r\nb\r\n", {"a", "", "b"}},
        {"last line without line end", "a\r\n\r\nb", {"a", "", "b"}},
        {"CR LF alone", "\r\n", {""}},
        {"leading empty line", "\r\na", {"", "a"}},
        {"LF line ends", "a\nb\n", {"a", "b"}},
        {"mixed line ends", "a\r\nb\nc", {"a", "b", "c"}},
        {"lone CR stays in the line", "a\rb\r\nc\r", {"a\rb", "c\r"}},
        {"CR CR LF keeps one CR", "a\r\r\n", {"a\r"}},
        {"spaces stay", "  a b  \r\n\xA1\xA1x", {"  a b  ", "\xA1\xA1x"}},
        {"LF as second byte of a character", "\x81\nx\n", {"\x81\nx"}},
        {"CR as second byte of a character", "\x81\r\nx", {"\x81\r", "x"}},
        {"two-byte characters before the line end",
         "\xD6\xD0\xCE\xC4\r\n\xB5\xC4",
         {"\xD6\xD0\xCE\xC4", "\xB5\xC4"}},
        {"odd run of high bytes after a trail byte", "\x81\x41\x82\nz\n", {"\x81\x41\x82\nz"}},
    };
    for (const SplitCase& c : cases) EXPECT_EQ(Split(c.text), c.lines) << c.name;
}

TEST(SplitUrlLinesTest, LinesAreViewsIntoTheText) {
    const std::string text = "first\r\nsecond";
    const auto lines = SplitUrlLines(text);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[1].data(), text.data() + 7);
}

struct ClassifyCase {
    const char* name;
    std::string file;
    UrlFileEncoding encoding;
    std::string bytes;
};

TEST(ClassifyUrlFileTest, TellsTheEncodingAndDropsTheMark) {
    const ClassifyCase cases[] = {
        {"plain ASCII", "http://a/\r\n", UrlFileEncoding::CodePage936, "http://a/\r\n"},
        {"code page 936 Chinese", "\xD6\xD0\xCE\xC4", UrlFileEncoding::CodePage936,
         "\xD6\xD0\xCE\xC4"},
        {"UTF-8 without mark", "\xE4\xB8\xAD\xE6\x96\x87", UrlFileEncoding::Utf8,
         "\xE4\xB8\xAD\xE6\x96\x87"},
        {"UTF-8 with mark",
         "\xEF\xBB\xBF"
         "a\r\n",
         UrlFileEncoding::Utf8, "a\r\n"},
        {"UTF-8 mark alone", "\xEF\xBB\xBF", UrlFileEncoding::Utf8, ""},
        {"UTF-16 LE",
         std::string("\xFF\xFE"
                     "a\0b\0",
                     6),
         UrlFileEncoding::Utf16Le, std::string("a\0b\0", 4)},
        {"UTF-16 LE cut at a zero unit",
         std::string("\xFF\xFE"
                     "a\0\0\0b\0",
                     8),
         UrlFileEncoding::Utf16Le, std::string("a\0", 2)},
        {"UTF-16 LE odd last byte",
         std::string("\xFF\xFE"
                     "a\0b",
                     5),
         UrlFileEncoding::Utf16Le, std::string("a\0", 2)},
        {"code page 936 cut at zero byte", std::string("ab\0\xD6\xD0", 5),
         UrlFileEncoding::CodePage936, "ab"},
        {"valid UTF-8 only after the zero byte", std::string("ab\0\xE4\xB8\xAD", 6),
         UrlFileEncoding::CodePage936, "ab"},
        {"UTF-8 with mark cut at zero byte",
         std::string("\xEF\xBB\xBF"
                     "a\0b",
                     6),
         UrlFileEncoding::Utf8, "a"},
        {"truncated UTF-8 is code page 936", "\xE4\xB8", UrlFileEncoding::CodePage936, "\xE4\xB8"},
        {"empty file", "", UrlFileEncoding::CodePage936, ""},
    };
    for (const ClassifyCase& c : cases) {
        const UrlFileContent content = ClassifyUrlFile(c.file);
        EXPECT_EQ(content.encoding, c.encoding) << c.name;
        EXPECT_EQ(std::string(content.bytes), c.bytes) << c.name;
    }
}

TEST(IsValidUtf8Test, AcceptsWellFormedSequencesOnly) {
    const std::pair<std::string, bool> cases[] = {
        {"", true},
        {"ascii", true},
        {"\xC2\x80", true},           // U+0080
        {"\xDF\xBF", true},           // U+07FF
        {"\xE0\xA0\x80", true},       // U+0800
        {"\xED\x9F\xBF", true},       // U+D7FF
        {"\xEF\xBF\xBF", true},       // U+FFFF
        {"\xF0\x90\x80\x80", true},   // U+10000
        {"\xF4\x8F\xBF\xBF", true},   // U+10FFFF
        {"\xC0\xAF", false},          // overlong "/"
        {"\xC1\xBF", false},          // overlong
        {"\xE0\x9F\xBF", false},      // overlong
        {"\xED\xA0\x80", false},      // surrogate
        {"\xF0\x8F\xBF\xBF", false},  // overlong
        {"\xF4\x90\x80\x80", false},  // above U+10FFFF
        {"\xF5\x80\x80\x80", false},
        {"\x80", false},              // lone continuation
        {"\xE4\xB8", false},          // cut short
        {"\xE4\x41\xAD", false},      // not a continuation
        {"\xD6\xD0\xCE\xC4", false},  // code page 936 "中文"
    };
    for (const auto& [bytes, valid] : cases) EXPECT_EQ(IsValidUtf8(bytes), valid) << bytes;
}

}  // namespace
}  // namespace qingqu
