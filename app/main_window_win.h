// The program's one window: the URL list, the start and stop buttons, the two
// save boxes, the status label and the two links, laid out at fixed positions.
// The window procedure only dispatches; each message is one small member.
//
//   MainWindow window;
//   if (!window.Create(instance, showCommand)) ...;
//   // message loop; workers use ControlOperations (control_operations_win.h)
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>

#include "app/hyperlink_win.h"
#include "app/url_list_win.h"
#include "check/query_run.h"
#include "text/scoped_win.h"

namespace qingqu {

// What the buttons and the import menu entry start; filled in by the program's
// entry point so the window itself knows nothing of imports and query runs.
struct MainWindowHandlers {
    std::function<void()> startImport;
    std::function<void()> startQuery;
    std::function<void()> stopQuery;
};

class MainWindow {
public:
    static constexpr int kOuterWidth = 330;
    static constexpr int kOuterHeight = 412;
    static constexpr int kIconSize = 64;

    MainWindow();
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;

    bool Create(HINSTANCE instance, MainWindowHandlers handlers);
    HWND Handle() const noexcept { return window_; }

    // Control operations; on the window's thread only.
    UrlList& List() noexcept { return list_; }
    int Ticked(SaveBox box) const noexcept;
    void SetStatusCaption(std::string_view text);

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    bool OnCreate();
    void OnCommand(int id);
    LRESULT OnNotify(const NMHDR& header);
    HBRUSH OnCtlColorStatic(HDC dc, HWND control);
    void OnDestroy();

    void ShowListMenu();
    void ClearUrlList();

    HWND CreateControl(const wchar_t* windowClass, std::string_view text, DWORD style, int id,
                       RECT bounds);
    bool CreateLinks();
    void ApplyFont();

    HWND window_ = nullptr;
    MainWindowHandlers handlers_;
    UrlList list_;
    HWND status_ = nullptr;
    HWND indexedBox_ = nullptr;
    HWND notIndexedBox_ = nullptr;
    Hyperlink homeLink_;
    Hyperlink feedbackLink_;
    ScopedIcon icon_;
};

}  // namespace qingqu
