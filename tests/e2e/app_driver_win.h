// Drives the shipped qingqu.exe from outside its process, as a person and as
// assistive tools do: it starts the program, finds its windows, reads the list
// view through the program's memory, and gives real mouse and keyboard input
// (SendInput) for clicks, pop-up menus and dialogs. Every wait polls every 20 ms
// until its condition holds or its time limit passes; nothing sleeps blindly.
//
//   using namespace qingqu::e2e;
//   TempFolder folder;                                  // removed afterwards
//   auto app = App::Start({.folder = folder.Path()});   // runs a copy from there
//   ASSERT_TRUE(app);
//   ListView list(app->Control(L"SysListView32"));
//   RightClick(Center(ScreenRect(list.Window())));
//   HWND menu = WaitForPopupMenu();
//   ClickMenuEntry(menu, 0);                            // "导入网址"
//   HWND dialog = WaitForDialog(app->ProcessId(), L"请导入网址");
//   ConfirmOpenFileDialog(dialog, folder.WriteFile(L"urls.txt", "a\r\nb\r\n"));
//   EXPECT_TRUE(WaitUntil([&] { return list.ItemCount() == 2; }));
//   app->Close();
//   EXPECT_EQ(app->WaitForExit(), 0u);
//
// A posted command (a chosen menu entry, PressButton) runs later than the call
// that gave it: ListView::WaitForPostedMessages() waits until it has run.
// MenuEntries() and ProbeWindow() read, inside the program, what Wine does not
// share between processes (menus, fonts, icons; see probe_win.h).
//
// AppTest is a fixture that starts the program before each test, ends it after,
// and saves a screenshot of the screen when the test failed.
//
// Tests need a display (under Wine: Xvfb, and a wineserver started with DISPLAY).
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/probe_win.h"
#include "text/scoped_win.h"

namespace qingqu::e2e {

using std::chrono::milliseconds;

inline constexpr std::wstring_view kMainWindowCaption = L"青蕖 V1.0";
inline constexpr std::wstring_view kMainWindowClass = L"QingquMainWindow";
// Generous, because a cold Wine or a busy machine is slow; waits end as soon as
// their condition holds.
inline constexpr milliseconds kDefaultWait{10000};

// ---- Waiting ----

// Polls `condition` every 20 ms until it is true or `limit` has passed; returns
// its last value.
bool WaitUntil(const std::function<bool()>& condition, milliseconds limit = kDefaultWait);

// Polls `find` until it gives a non-null window; null when `limit` passed.
HWND WaitForWindow(const std::function<HWND()>& find, milliseconds limit = kDefaultWait);

// ---- Files ----

// The qingqu.exe built with these tests, as a Windows path.
std::filesystem::path QingquExePath();

// A new, empty folder under the temporary folder, removed with all it holds.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    // Writes `bytes` as they stand to a file in the folder; returns its path.
    std::filesystem::path WriteFile(std::wstring_view name, std::string_view bytes) const;

private:
    std::filesystem::path path_;
};

// The whole content of a file; nullopt when it cannot be read.
std::optional<std::string> ReadFileBytes(const std::filesystem::path& path);

// ---- The program ----

struct StartOptions {
    // Empty: run the built program where it is. Otherwise copy it into this folder
    // and run the copy there (the program writes its result files beside itself).
    std::filesystem::path folder;
    // "NAME=value" entries added to (or replacing those of) the test's environment.
    std::vector<std::wstring> environment;
    // The top-level window that tells the program is up.
    std::wstring caption{kMainWindowCaption};
    milliseconds windowWait{20000};
    // Empty: the qingqu.exe of this build.
    std::filesystem::path exe;
};

// One running program. Its end is waited for, or forced, when the App goes.
class App {
public:
    // Starts the program and waits until its main window is shown and its message
    // loop answers. Null, with a test failure that tells why, when it does not.
    static std::unique_ptr<App> Start(const StartOptions& options = {});
    ~App();
    App(const App&) = delete;
    App& operator=(const App&) = delete;

    HWND Window() const { return window_; }
    DWORD ProcessId() const { return processId_; }
    const std::filesystem::path& ExePath() const { return exe_; }
    // The first child window (any depth) of that class, and of that text if given.
    HWND Control(std::wstring_view className,
                 std::optional<std::wstring_view> text = std::nullopt) const;
    // Visible top-level windows of the program, the main window included.
    std::vector<HWND> TopLevelWindows() const;

    bool IsRunning() const;
    // Asks the main window to close (WM_CLOSE), as the title bar's button does.
    void Close() const;
    // The exit code once the process has ended; nullopt when it still runs.
    std::optional<DWORD> WaitForExit(milliseconds limit = kDefaultWait) const;
    // Ends the process at once.
    void Kill() const;

private:
    App() = default;

    ScopedHandle job_;  // kills the program should the test itself die
    ScopedHandle process_;
    DWORD processId_ = 0;
    HWND window_ = nullptr;
    std::filesystem::path exe_;
};

// ---- Windows and controls ----

std::wstring ClassName(HWND window);
// The text through WM_GETTEXT, as assistive tools read it.
std::wstring WindowText(HWND window);
std::vector<HWND> ChildWindows(HWND parent);  // all descendants
HWND FindChild(HWND parent, std::wstring_view className,
               std::optional<std::wstring_view> text = std::nullopt);
// Visible top-level windows of a process, optionally only those of a class.
std::vector<HWND> TopLevelWindows(DWORD processId, std::wstring_view className = {});

RECT ScreenRect(HWND window);
// The window's outer rectangle in the client coordinates of `reference`.
RECT RectInClient(HWND window, HWND reference);
// The client area's rectangle in screen coordinates.
RECT ClientScreenRect(HWND window);
POINT Center(const RECT& rect);
LONG_PTR Style(HWND window);
LONG_PTR ExStyle(HWND window);
// The centre, on the screen, of the part of `window`'s title bar that hit-tests as
// `part` (HTCAPTION, HTSYSMENU, HTMINBUTTON, HTMAXBUTTON, HTCLOSE); nullopt when
// the title bar has no such part.
std::optional<POINT> TitleBarPoint(HWND window, LRESULT part);
// The window's font and icons, read inside the program (see probe_win.h).
std::optional<WindowProbe> ProbeWindow(HWND window);
// BST_CHECKED, BST_UNCHECKED or BST_INDETERMINATE.
LRESULT CheckState(HWND checkBox);

// Presses a button without the mouse: posts its BN_CLICKED to the parent, so a
// handler that opens a modal dialog does not block the test.
void PressButton(HWND button);

// ---- Real input (SendInput) ----

enum class MouseButton { kLeft, kRight };
void MoveMouse(POINT screen);
void Click(POINT screen, MouseButton button = MouseButton::kLeft);
inline void RightClick(POINT screen) {
    Click(screen, MouseButton::kRight);
}
// Left button down at `from`, moved to `to`, up there.
void Drag(POINT from, POINT to);
POINT CursorPosition();
// Each key pressed and released in turn.
void PressKeys(std::initializer_list<WORD> virtualKeys);

// ---- The list view, read across processes ----

// Reads an owner-data or ordinary SysListView32 of another process through
// LVM_* messages whose structures live in that process's memory.
class ListView {
public:
    explicit ListView(HWND list) : list_(list) {}
    HWND Window() const { return list_; }

    int ItemCount() const;
    std::wstring ItemText(int row, int column) const;
    // Every cell, row by row.
    std::vector<std::vector<std::wstring>> Rows() const;
    int ColumnCount() const;
    std::wstring ColumnTitle(int column) const;
    int ColumnWidth(int column) const;
    int ColumnFormat(int column) const;  // LVCFMT_*
    // The row's bounds (LVIR_BOUNDS) on the screen; nullopt for no such row.
    std::optional<RECT> ItemScreenRect(int row) const;
    int SelectedRow() const;  // -1 when none
    HWND Header() const;
    // Waits until the list's thread has handled every message posted to it before
    // this call (a menu entry's command, a posted button press): posts a marker
    // behind them and waits for it. The marker is the list's hover time, which
    // matters only to lists that select on hover, and is put back afterwards.
    bool WaitForPostedMessages(milliseconds limit = kDefaultWait) const;

private:
    HWND list_;
};

// ---- Pop-up menus ----

// The shown pop-up menu window (class "#32768"); null when none came in time.
HWND WaitForPopupMenu(milliseconds limit = kDefaultWait);
bool WaitForNoPopupMenu(milliseconds limit = kDefaultWait);
struct MenuEntry {
    std::wstring text;
    UINT state;  // MF_GRAYED, MF_CHECKED, MF_SEPARATOR, ... as GetMenuState gives them
    RECT screenRect;
};
// The entries of a shown pop-up menu, in order, read inside the program that shows
// it (see probe_win.h); empty when they cannot be read.
std::vector<MenuEntry> MenuEntries(HWND menuWindow);
// Chooses an entry with a real left click on it.
bool ClickMenuEntry(HWND menuWindow, int index);

// ---- Dialogs ----

// A visible dialog (class "#32770") of the process with that caption.
HWND WaitForDialog(DWORD processId, std::wstring_view caption, milliseconds limit = kDefaultWait);
bool WaitForWindowGone(HWND window, milliseconds limit = kDefaultWait);
// Types `path` into the open-file dialog's file-name box and confirms it.
bool ConfirmOpenFileDialog(HWND dialog, const std::filesystem::path& path);
void CancelDialog(HWND dialog);

// ---- Screenshots ----

// Saves the screen, or only `window`'s part of it, as a 24-bit BMP file.
bool SaveScreenshot(const std::filesystem::path& file, HWND window = nullptr);

// ---- Fixture ----

// Starts the program from a copy in a fresh folder before each test and ends it
// afterwards; a failed test leaves a screenshot in screenshots/ of the working
// folder (the build folder under CTest).
class AppTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;
    // Added to the options before the program starts.
    virtual void AdjustOptions(StartOptions&) {}

    TempFolder folder_;
    std::unique_ptr<App> app_;
};

}  // namespace qingqu::e2e
