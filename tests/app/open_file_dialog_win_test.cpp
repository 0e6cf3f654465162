#include "app/open_file_dialog_win.h"

#include <gtest/gtest.h>

#include <future>
#include <string>

#include "tests/e2e/app_driver_win.h"
#include "text/file_ops.h"
#include "text/wide_win.h"

namespace qingqu {
namespace {

using e2e::TempFolder;

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

// The dialog shown by this process, driven from the test's own thread while the
// dialog's call waits on another, as the import does it.
class OpenFileDialogTest : public ::testing::Test {
protected:
    void SetUp() override {
        saved_ = CurrentDirectory();
        ASSERT_TRUE(ChangeDirectory(WideToText(start_.Path().wstring())));
    }
    void TearDown() override { ChangeDirectory(saved_); }

    HWND WaitForDialog(std::wstring_view caption) {
        return e2e::WaitForDialog(GetCurrentProcessId(), caption);
    }

    // The entries of the dialog's file type box.
    static std::vector<std::wstring> FileTypes(HWND dialog, int* selected) {
        HWND types = GetDlgItem(dialog, 0x470);  // cmb1
        std::vector<std::wstring> entries;
        const auto count = SendMessageW(types, CB_GETCOUNT, 0, 0);
        for (LRESULT i = 0; i < count; ++i) {
            std::wstring entry(static_cast<std::size_t>(SendMessageW(types, CB_GETLBTEXTLEN, i, 0)),
                               L'\0');
            SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry.data()));
            entries.push_back(entry);
        }
        *selected = static_cast<int>(SendMessageW(types, CB_GETCURSEL, 0, 0));
        return entries;
    }

    TempFolder start_;
    Text saved_;
};

TEST_F(OpenFileDialogTest, DefaultsOfferAllFilesAndTheCurrentDirectoryComesBack) {
    TempFolder other;
    const std::filesystem::path chosen =
        other.Path() / L"\u76EE\u5F55" / L"\u7F51\u5740.txt";  // 目录\网址.txt
    std::filesystem::create_directory(chosen.parent_path());
    auto result = std::async(std::launch::async, [] { return ShowOpenFileDialog(nullptr); });

    HWND dialog = WaitForDialog(L"\u6253\u5F00\u6587\u4EF6");  // 打开文件
    ASSERT_TRUE(dialog);
    int selected = -1;
    EXPECT_EQ(FileTypes(dialog, &selected),
              std::vector<std::wstring>{L"\u6240\u6709\u6587\u4EF6(*.*)"});
    EXPECT_EQ(selected, 0);
    // A name that does not exist yet is given back as typed, as a full path.
    ASSERT_TRUE(e2e::ConfirmOpenFileDialog(dialog, chosen));

    EXPECT_EQ(result.get(), WideToText(chosen.wstring()));
    EXPECT_EQ(CurrentDirectory(), WideToText(start_.Path().wstring()));
}

TEST_F(OpenFileDialogTest, GivenTitleAndFilterAndACancelGiveTheEmptyText) {
    TempFolder other;
    auto result = std::async(std::launch::async, [&] {
        return ShowOpenFileDialog(nullptr, WideToText(other.Path().wstring()),
                                  Text("\xB1\xEA\xCC\xE2"),
                                  Text("\xBC\xD7|*.a|\xD2\xD2|*.b"));  // 标题, 甲|*.a|乙|*.b
    });

    HWND dialog = WaitForDialog(L"\u6807\u9898");
    ASSERT_TRUE(dialog);
    int selected = -1;
    EXPECT_EQ(FileTypes(dialog, &selected), (std::vector<std::wstring>{L"\u7532", L"\u4E59"}));
    EXPECT_EQ(selected, 0);
    e2e::CancelDialog(dialog);

    EXPECT_EQ(result.get(), "");
    EXPECT_EQ(CurrentDirectory(), WideToText(start_.Path().wstring()));
}

}  // namespace
}  // namespace qingqu
