// The main window as the user meets it: started from a copy of the built program,
// looked at through window messages, and handled with real mouse and keyboard
// input.
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/e2e/app_driver_win.h"

namespace qingqu::e2e {
namespace {

using ::testing::ElementsAre;
using ::testing::Field;

constexpr int kOuterWidth = 330;
constexpr int kOuterHeight = 412;
constexpr wchar_t kWelcome[] = L"欢迎您使用本软件";
constexpr wchar_t kImportEntry[] = L"导入网址";
constexpr wchar_t kClearEntry[] = L"清空网址";

struct Box {
    int left, top, width, height;
};

Box BoxOf(const RECT& r) {
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}
bool operator==(const Box& a, const Box& b) {
    return a.left == b.left && a.top == b.top && a.width == b.width && a.height == b.height;
}
void PrintTo(const Box& b, std::ostream* out) {
    *out << "(" << b.left << ", " << b.top << ", " << b.width << " x " << b.height << ")";
}

// Controls inside a group box sit at the group's position plus their own.
constexpr Box kUrlGroup{3, 4, 317, 260};
constexpr Box kFunctionGroup{2, 264, 318, 96};
constexpr Box InGroup(Box group, int left, int top, int width, int height) {
    return {group.left + left, group.top + top, width, height};
}
constexpr Box kStatusLabel = InGroup(kFunctionGroup, 142, 22, 144, 16);

struct ControlCase {
    const char* name;
    const wchar_t* className;
    const wchar_t* text;  // null: any text but the empty one
    Box box;              // in the main window's client area
    bool tabStop;
};

const ControlCase kControls[] = {
    {"url group", L"Button", L"网址列表 (鼠标右键操作)", kUrlGroup, false},
    {"url list", L"SysListView32", L"", InGroup(kUrlGroup, 3, 16, 310, 239), true},
    {"function group", L"Button", L"功能", kFunctionGroup, false},
    {"start button", L"Button", L"开始查询", InGroup(kFunctionGroup, 6, 17, 64, 24), true},
    {"stop button", L"Button", L"停止查询", InGroup(kFunctionGroup, 72, 17, 64, 24), true},
    {"status label", L"Static", kWelcome, kStatusLabel, false},
    {"save label", L"Static", L"保存：", InGroup(kFunctionGroup, 7, 51, 39, 16), false},
    {"indexed box", L"Button", L"已收录", InGroup(kFunctionGroup, 41, 51, 63, 19), true},
    {"not-indexed box", L"Button", L"未收录", InGroup(kFunctionGroup, 104, 51, 63, 19), true},
    {"hint label", L"Static", L"将自动保存对应数据结果", InGroup(kFunctionGroup, 38, 72, 248, 16),
     false},
    {"home link", L"Static", L"墨桥社区", {7, 359, 80, 24}, false},
    {"address label", L"Static", nullptr, {89, 364, 128, 16}, false},
    {"feedback link", L"Static", L"意见反馈", {213, 359, 80, 24}, false},
};

// The direct child of `window` with that class and outer rectangle.
HWND ControlAt(HWND window, const wchar_t* className, Box box) {
    for (HWND child : ChildWindows(window)) {
        if (GetParent(child) == window && ClassName(child) == className &&
            BoxOf(RectInClient(child, window)) == box)
            return child;
    }
    return nullptr;
}

bool IsSizingHit(LRESULT hit) {
    return hit >= HTSIZEFIRST && hit <= HTSIZELAST;
}

class MainWindowTest : public AppTest {
protected:
    HWND Window() const { return app_->Window(); }
    HWND Button(const wchar_t* text) const { return app_->Control(L"Button", text); }
    // Found by its place: its text changes.
    HWND StatusLabel() const { return ControlAt(Window(), L"Static", kStatusLabel); }
    ListView List() const { return ListView(app_->Control(L"SysListView32")); }

    // A point inside the list's item area, below the column header, at fractions
    // of that area's width and height.
    POINT InItemArea(double x, double y) const {
        const ListView list = List();
        const RECT client = ClientScreenRect(list.Window());
        const LONG headerBottom = ScreenRect(list.Header()).bottom;
        return {client.left + static_cast<LONG>((client.right - client.left) * x),
                headerBottom + static_cast<LONG>((client.bottom - headerBottom) * y)};
    }

    // Right-clicks at `at` and expects the list's pop-up menu beside the pointer.
    HWND OpenListMenu(POINT at) const {
        RightClick(at);
        HWND menu = WaitForPopupMenu();
        if (!menu) {
            ADD_FAILURE() << "no pop-up menu after a right click at " << at.x << ", " << at.y;
            return nullptr;
        }
        const RECT shown = ScreenRect(menu);
        EXPECT_EQ(shown.left, at.x + 3);
        EXPECT_EQ(shown.top, at.y + 3);
        EXPECT_THAT(MenuEntries(menu),
                    ElementsAre(Field(&MenuEntry::text, std::wstring(kImportEntry)),
                                Field(&MenuEntry::text, std::wstring(kClearEntry))));
        return menu;
    }
};

TEST_F(MainWindowTest, WindowIsCaptionedFixedCentredAndHasNoMenuBar) {
    EXPECT_EQ(WindowText(Window()), kMainWindowCaption);
    EXPECT_EQ(ClassName(Window()), kMainWindowClass);

    const RECT outer = ScreenRect(Window());
    EXPECT_EQ(outer.right - outer.left, kOuterWidth);
    EXPECT_EQ(outer.bottom - outer.top, kOuterHeight);
    EXPECT_EQ(outer.left, (GetSystemMetrics(SM_CXSCREEN) - kOuterWidth) / 2);
    EXPECT_EQ(outer.top, (GetSystemMetrics(SM_CYSCREEN) - kOuterHeight) / 2);

    const LONG_PTR style = Style(Window());
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & WS_MAXIMIZEBOX);
    EXPECT_FALSE(style & WS_THICKFRAME);
    EXPECT_FALSE(ExStyle(Window()) & WS_EX_TOPMOST);
    // A task-bar button: an unowned window that is no tool window.
    EXPECT_FALSE(ExStyle(Window()) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetWindow(Window(), GW_OWNER), nullptr);
    EXPECT_EQ(GetMenu(Window()), nullptr);

    const std::optional<WindowProbe> inside = ProbeWindow(Window());
    ASSERT_TRUE(inside);
    // One 64 x 64 picture of 32 bits per pixel serves as the large and small icon.
    ASSERT_TRUE(inside->bigIcon);
    EXPECT_EQ(inside->smallIcon, inside->bigIcon);
    EXPECT_EQ(inside->bigIconWidth, 64);
    EXPECT_EQ(inside->bigIconHeight, 64);
    EXPECT_EQ(inside->bigIconBitsPerPixel, 32);
}

TEST_F(MainWindowTest, ControlsStandInPlaceWithTheirTexts) {
    for (const ControlCase& expected : kControls) {
        SCOPED_TRACE(expected.name);
        HWND control = ControlAt(Window(), expected.className, expected.box);
        ASSERT_TRUE(control) << "no direct child of its class at its place";
        if (expected.text)
            EXPECT_EQ(WindowText(control), expected.text);
        else
            EXPECT_FALSE(WindowText(control).empty());
        EXPECT_TRUE(IsWindowVisible(control));
        EXPECT_TRUE(IsWindowEnabled(control));
        EXPECT_EQ((Style(control) & WS_TABSTOP) != 0, expected.tabStop);
        const std::optional<WindowProbe> inside = ProbeWindow(control);
        ASSERT_TRUE(inside);
        EXPECT_EQ(inside->font, inside->defaultGuiFont);
    }
}

TEST_F(MainWindowTest, ControlsStartInTheirStartStates) {
    for (const wchar_t* text : {L"已收录", L"未收录"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(text)));
        HWND box = Button(text);
        ASSERT_TRUE(box);
        EXPECT_EQ(Style(box) & BS_TYPEMASK, BS_AUTOCHECKBOX);
        EXPECT_EQ(CheckState(box), BST_UNCHECKED);
    }
    for (const wchar_t* text : {L"开始查询", L"停止查询"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(text)));
        HWND button = Button(text);
        ASSERT_TRUE(button);
        EXPECT_EQ(Style(button) & BS_TYPEMASK, BS_PUSHBUTTON) << "not the default button";
        EXPECT_TRUE(IsWindowEnabled(button));
    }
    for (const wchar_t* text : {L"网址列表 (鼠标右键操作)", L"功能"})
        EXPECT_EQ(Style(Button(text)) & BS_TYPEMASK, BS_GROUPBOX);
    for (const wchar_t* text : {L"墨桥社区", L"意见反馈"}) {
        HWND link = app_->Control(L"Static", text);
        ASSERT_TRUE(link);
        EXPECT_TRUE(Style(link) & SS_NOTIFY) << "a link hears the mouse";
    }
    ASSERT_TRUE(StatusLabel());
    EXPECT_EQ(List().ItemCount(), 0);
    EXPECT_EQ(List().SelectedRow(), -1);
}

TEST_F(MainWindowTest, CheckBoxesToggleOnEachClick) {
    for (const wchar_t* text : {L"已收录", L"未收录"}) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(text)));
        HWND box = Button(text);
        ASSERT_TRUE(box);
        Click(Center(ScreenRect(box)));
        EXPECT_TRUE(WaitUntil([&] { return CheckState(box) == BST_CHECKED; }));
        Click(Center(ScreenRect(box)));
        EXPECT_TRUE(WaitUntil([&] { return CheckState(box) == BST_UNCHECKED; }));
    }
}

TEST_F(MainWindowTest, ListHasThreeFixedLeftAlignedColumnsInReportView) {
    const ListView list = List();
    ASSERT_TRUE(list.Window());
    ASSERT_EQ(list.ColumnCount(), 3);
    const std::vector<std::wstring> titles{L"ID", L"网址", L"状态"};
    const int widths[] = {50, 150, 80};
    for (int column = 0; column < 3; ++column) {
        SCOPED_TRACE(column);
        EXPECT_EQ(list.ColumnTitle(column), titles[static_cast<size_t>(column)]);
        EXPECT_EQ(list.ColumnWidth(column), widths[column]);
        EXPECT_EQ(list.ColumnFormat(column) & LVCFMT_JUSTIFYMASK, LVCFMT_LEFT);
    }

    const LONG_PTR style = Style(list.Window());
    EXPECT_EQ(style & LVS_TYPEMASK, LVS_REPORT);
    EXPECT_FALSE(style & LVS_NOCOLUMNHEADER);
    EXPECT_TRUE(style & LVS_SINGLESEL);
    EXPECT_FALSE(style & LVS_SHOWSELALWAYS) << "the selection hides without the focus";
    EXPECT_FALSE(style & LVS_EDITLABELS);
    EXPECT_FALSE(style & (LVS_SORTASCENDING | LVS_SORTDESCENDING));
    EXPECT_FALSE(Style(list.Header()) & HDS_BUTTONS) << "column titles are not buttons";
    EXPECT_TRUE(style & WS_BORDER);
    EXPECT_FALSE(ExStyle(list.Window()) & WS_EX_CLIENTEDGE);

    const auto extended = SendMessageW(list.Window(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0);
    EXPECT_TRUE(extended & LVS_EX_FULLROWSELECT);
    EXPECT_TRUE(extended & LVS_EX_GRIDLINES);
    EXPECT_FALSE(extended & (LVS_EX_CHECKBOXES | LVS_EX_HEADERDRAGDROP | LVS_EX_TRACKSELECT |
                             LVS_EX_ONECLICKACTIVATE | LVS_EX_TWOCLICKACTIVATE));
}

// Right clicks at two places of the empty item area: the menu follows the pointer.
TEST_F(MainWindowTest, RightClickOnEmptyListOpensMenuBesidePointer) {
    for (const POINT at : {InItemArea(0.1, 0.05), InItemArea(0.8, 0.9)}) {
        SCOPED_TRACE(testing::Message() << "at " << at.x << ", " << at.y);
        HWND menu = OpenListMenu(at);
        ASSERT_TRUE(menu);
        for (const MenuEntry& entry : MenuEntries(menu))
            EXPECT_EQ(entry.state & (MF_GRAYED | MF_DISABLED | MF_CHECKED), 0u);
        PressKeys({VK_ESCAPE});
        EXPECT_TRUE(WaitForNoPopupMenu());
    }
    EXPECT_EQ(List().ItemCount(), 0);
    EXPECT_THAT(app_->TopLevelWindows(), ElementsAre(Window()));
}

TEST_F(MainWindowTest, ClearingAnEmptyListChangesNothing) {
    HWND menu = OpenListMenu(InItemArea(0.5, 0.5));
    ASSERT_TRUE(menu);
    ASSERT_TRUE(ClickMenuEntry(menu, 1));
    EXPECT_TRUE(WaitForNoPopupMenu());

    ASSERT_TRUE(List().WaitForPostedMessages()) << "the chosen entry's command is handled";
    EXPECT_EQ(List().ItemCount(), 0);
    EXPECT_EQ(WindowText(StatusLabel()), kWelcome);
    EXPECT_THAT(app_->TopLevelWindows(), ElementsAre(Window())) << "nothing is shown";
    EXPECT_TRUE(app_->IsRunning());
}

TEST_F(MainWindowTest, RightClickBelowRowsOpensMenuAndClearEmptiesTheList) {
    HWND menu = OpenListMenu(InItemArea(0.5, 0.5));
    ASSERT_TRUE(menu);
    ASSERT_TRUE(ClickMenuEntry(menu, 0));
    HWND dialog = WaitForDialog(app_->ProcessId(), L"请导入网址");
    ASSERT_TRUE(dialog);
    ASSERT_TRUE(ConfirmOpenFileDialog(
        dialog, folder_.WriteFile(L"urls.txt", "a.example\r\nb.example\r\nc.example\r\n")));
    const ListView list = List();
    ASSERT_TRUE(WaitUntil([&] { return list.ItemCount() == 3; }));
    const std::wstring status = L"数据导入完毕";
    ASSERT_TRUE(WaitUntil([&] { return WindowText(StatusLabel()) == status; }));

    const std::optional<RECT> lastRow = list.ItemScreenRect(2);
    ASSERT_TRUE(lastRow);
    const POINT below{Center(*lastRow).x, lastRow->bottom + 20};
    ASSERT_LT(below.y, ClientScreenRect(list.Window()).bottom);
    menu = OpenListMenu(below);
    ASSERT_TRUE(menu);
    ASSERT_TRUE(ClickMenuEntry(menu, 1));

    EXPECT_TRUE(WaitUntil([&] { return list.ItemCount() == 0; }));
    EXPECT_EQ(WindowText(StatusLabel()), status) << "clearing leaves the status as it was";
    EXPECT_THAT(app_->TopLevelWindows(), ElementsAre(Window())) << "nothing is asked";
}

TEST_F(MainWindowTest, TitleBarMovesAndMinimisesButNeverResizesOrMaximises) {
    const RECT before = ScreenRect(Window());
    const std::optional<POINT> caption = TitleBarPoint(Window(), HTCAPTION);
    ASSERT_TRUE(caption);

    // What would size or maximise a sizable window: a drag on the frame's corner
    // (which is no sizing handle), the maximise button should one be drawn, and a
    // double click on the title bar.
    const POINT corner{before.right - 1, before.bottom - 1};
    EXPECT_FALSE(
        IsSizingHit(SendMessageW(Window(), WM_NCHITTEST, 0, MAKELPARAM(corner.x, corner.y))));
    Drag(corner, {corner.x + 40, corner.y + 30});
    if (const std::optional<POINT> maximise = TitleBarPoint(Window(), HTMAXBUTTON))
        Click(*maximise);
    Click(*caption);
    Click(*caption);

    // Input is handled in order: once the window has followed this drag of its
    // title bar, the clicks above have had their effect.
    Drag(*caption, {caption->x - 30, caption->y + 20});
    EXPECT_TRUE(WaitUntil([&] { return ScreenRect(Window()).left == before.left - 30; }));
    EXPECT_THAT(BoxOf(ScreenRect(Window())),
                (Box{before.left - 30, before.top + 20, kOuterWidth, kOuterHeight}));
    EXPECT_FALSE(IsZoomed(Window()));

    const std::optional<POINT> minimise = TitleBarPoint(Window(), HTMINBUTTON);
    ASSERT_TRUE(minimise);
    Click(*minimise);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(Window()) != FALSE; }));
}

enum class CloseBy { kCloseMessage, kTitleBarButton };
const char* NameOf(CloseBy way) {
    return way == CloseBy::kCloseMessage ? "CloseMessage" : "TitleBarButton";
}
void PrintTo(CloseBy way, std::ostream* out) {
    *out << NameOf(way);
}

class ClosingTest : public MainWindowTest, public testing::WithParamInterface<CloseBy> {};

TEST_P(ClosingTest, EndsTheProcessWithExitCodeZero) {
    if (GetParam() == CloseBy::kCloseMessage) {
        app_->Close();
    } else {
        const std::optional<POINT> close = TitleBarPoint(Window(), HTCLOSE);
        ASSERT_TRUE(close);
        Click(*close);
    }
    const std::optional<DWORD> exitCode = app_->WaitForExit();
    ASSERT_TRUE(exitCode) << "still running";
    EXPECT_EQ(*exitCode, 0u);
}

INSTANTIATE_TEST_SUITE_P(Ways, ClosingTest,
                         testing::Values(CloseBy::kCloseMessage, CloseBy::kTitleBarButton),
                         [](const testing::TestParamInfo<CloseBy>& info) {
                             return std::string(NameOf(info.param));
                         });

}  // namespace
}  // namespace qingqu::e2e
