// Importing a URL list as the user does it: a right click on the list, "导入网址",
// a file chosen in the dialog; then the rows as any other program reads them.
#include <windows.h>

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/e2e/app_driver_win.h"

namespace qingqu::e2e {
namespace {

using Rows = std::vector<std::vector<std::wstring>>;

constexpr wchar_t kImportDone[] = L"数据导入完毕";
constexpr int kImportEntry = 0;
constexpr int kClearEntry = 1;

class ImportTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        if (!app_) return;
        list_ = app_->Control(L"SysListView32");
        status_ = app_->Control(L"Static", L"欢迎您使用本软件");
        ASSERT_TRUE(list_ && status_);
    }

    HWND OpenListMenuAndWaitForDialog() {
        RightClick(Center(ClientScreenRect(list_)));
        HWND menu = WaitForPopupMenu();
        if (!menu || !ClickMenuEntry(menu, kImportEntry)) return nullptr;
        return WaitForDialog(app_->ProcessId(), L"请导入网址");
    }

    // Imports a file holding `bytes` and waits until the import has finished.
    void Import(std::string_view bytes, std::wstring_view name = L"urls.txt") {
        SetLabel(L"");  // so the end of this import can be seen
        HWND dialog = OpenListMenuAndWaitForDialog();
        ASSERT_TRUE(dialog) << "no open-file dialog";
        ASSERT_TRUE(ConfirmOpenFileDialog(dialog, folder_.WriteFile(name, bytes)));
        ASSERT_TRUE(WaitUntil([&] { return WindowText(status_) == kImportDone; }))
            << "the import did not finish";
    }

    void Clear() {
        RightClick(Center(ClientScreenRect(list_)));
        HWND menu = WaitForPopupMenu();
        ASSERT_TRUE(menu && ClickMenuEntry(menu, kClearEntry));
        ASSERT_TRUE(WaitUntil([&] { return ListView(list_).ItemCount() == 0; }));
    }

    // WM_SETTEXT, since SetWindowText does not reach other processes' controls.
    void SetLabel(const wchar_t* text) {
        SendMessageW(status_, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
    }

    Rows ListRows() const { return ListView(list_).Rows(); }

    HWND list_ = nullptr;
    HWND status_ = nullptr;
};

struct FileCase {
    const char* name;
    std::string bytes;
    std::vector<std::wstring> urls;
};

TEST_F(ImportTest, EachLineOfEveryKindOfFileBecomesANumberedRow) {
    using namespace std::string_literals;
    const FileCase cases[] = {
        {"two lines with CR LF", "http://a/\r\nhttp://b/\r\n", {L"http://a/", L"http://b/"}},
        {"empty line in the middle", "a\r\n\r\nb\r\n", {L"a", L"", L"b"}},
        {"last line without line end", "a\r\nb", {L"a", L"b"}},
        {"CR LF alone", "\r\n", {L""}},
        {"LF line ends", "a\nb\n", {L"a", L"b"}},
        {"spaces and a lone CR stay", " a b \r\nc\rd", {L" a b ", L"c\rd"}},
        {"code page 936", "http://\xD6\xD0\xCE\xC4.cn/\r\n", {L"http://中文.cn/"}},
        {"UTF-8 without mark",
         "http://\xE4\xB8\xAD\xE6\x96\x87.cn/\nx",
         {L"http://中文.cn/", L"x"}},
        {"UTF-8 with mark", "\xEF\xBB\xBFhttp://\xE4\xB8\xAD.cn/\r\n", {L"http://中.cn/"}},
        {"UTF-16 LE",
         "\xFF\xFE"
         "a\0\x2D\x4E\r\0\n\0b\0"s,
         {L"a中", L"b"}},
        {"zero byte ends the list", "a\r\nb\0c\r\n"s, {L"a", L"b"}},
    };
    for (const FileCase& c : cases) {
        SCOPED_TRACE(c.name);
        Import(c.bytes);
        Rows expected;
        for (std::size_t i = 0; i < c.urls.size(); ++i)
            expected.push_back({std::to_wstring(i + 1), c.urls[i], L""});
        EXPECT_EQ(ListRows(), expected);
        Clear();
    }
}

TEST_F(ImportTest, AnEmptyFileAddsNoRowButSaysTheImportIsDone) {
    Import("");
    EXPECT_EQ(ListView(list_).ItemCount(), 0);
    EXPECT_EQ(WindowText(status_), kImportDone);
}

TEST_F(ImportTest, NumberingContinuesAfterExistingRowsAndRestartsAfterClearing) {
    Import("a\r\nb\r\nc\r\n");
    Import("d\r\ne\r\n", L"more.txt");
    const Rows rows = ListRows();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(rows[3], (std::vector<std::wstring>{L"4", L"d", L""}));
    EXPECT_EQ(rows[4], (std::vector<std::wstring>{L"5", L"e", L""}));

    Clear();
    Import("f\r\n");
    EXPECT_EQ(ListRows(), (Rows{{L"1", L"f", L""}}));
}

TEST_F(ImportTest, CancellingTheDialogChangesNothing) {
    Import("a\r\n");
    SetLabel(L"before");
    HWND dialog = OpenListMenuAndWaitForDialog();
    ASSERT_TRUE(dialog);
    CancelDialog(dialog);
    ASSERT_TRUE(WaitForWindowGone(dialog));
    // The import thread has nothing left to do; give a wrong one time to show.
    EXPECT_FALSE(WaitUntil([&] { return WindowText(status_) != L"before"; }, milliseconds(500)));
    EXPECT_EQ(ListRows(), (Rows{{L"1", L"a", L""}}));
}

}  // namespace
}  // namespace qingqu::e2e
