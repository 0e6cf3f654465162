#include "app/open_file_dialog_win.h"

#include <gtest/gtest.h>

#include <string>

namespace qingqu {
namespace {

TEST(DialogFilterTest, PartsAreEndedByZerosAndTheLastByTwo) {
    using namespace std::string_literals;
    const std::pair<std::string, std::wstring> cases[] = {
        {"\xCE\xC4\xB1\xBE\xCE\xC4\xBC\xFE|*.txt", L"\u6587\u672C\u6587\u4EF6\0*.txt\0\0"s},
        {"a|*.a|b|*.b", L"a\0*.a\0b\0*.b\0\0"s},
        {"", L""s},
        // The second byte of a two-byte character is never a separator.
        {"\x81|x", L"\u4E85x\0\0"s},
    };
    for (const auto& [filter, expected] : cases)
        EXPECT_EQ(DialogFilter(filter), expected) << filter;
}

}  // namespace
}  // namespace qingqu
