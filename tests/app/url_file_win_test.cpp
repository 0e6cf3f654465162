#include "app/url_file_win.h"

#include <gtest/gtest.h>

#include <string>

namespace qingqu {
namespace {

Bytes FileOf(std::string_view bytes) {
    return Bytes(bytes.begin(), bytes.end());
}

TEST(UrlFileTextTest, DecodesEveryEncodingToCodePage936) {
    const std::pair<std::string, std::string> cases[] = {
        // 中文 in code page 936 is D6 D0 CE C4.
        {"\xD6\xD0\xCE\xC4\r\n", "\xD6\xD0\xCE\xC4\r\n"},
        {"\xE4\xB8\xAD\xE6\x96\x87\r\n", "\xD6\xD0\xCE\xC4\r\n"},
        {"\xEF\xBB\xBF\xE4\xB8\xAD\xE6\x96\x87", "\xD6\xD0\xCE\xC4"},
        {std::string("\xFF\xFE\x2D\x4E\x87\x65\x0D\x00\x0A\x00", 10), "\xD6\xD0\xCE\xC4\r\n"},
        // Thai ko kai (U+0E01) is not in code page 936.
        {"\xEF\xBB\xBF"
         "a\xE0\xB8\x81"
         "b",
         "a?b"},
        {std::string("\xFF\xFE\x01\x0E", 4), "?"},
        {std::string("a\0b", 3), "a"},
        {"", ""},
    };
    for (const auto& [file, text] : cases) EXPECT_EQ(UrlFileText(FileOf(file)), text) << file;
}

}  // namespace
}  // namespace qingqu
