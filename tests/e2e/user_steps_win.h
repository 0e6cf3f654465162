// What a user does with the program during a query run, from outside it:
// import a file through the list's pop-up menu, tick a save box, press a button,
// read the status label. Shared by the query run's tests and benchmarks.
//
//   UserSteps user(*app);
//   ASSERT_TRUE(user.ChooseFileToImport(file));   // returns once the dialog's OK is given
//   user.Press(L"开始查询");                        // returns once the window handled it
//   WaitUntil([&] { return user.Status() == L"查询任务执行完毕"; });
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

#include "tests/e2e/app_driver_win.h"

namespace qingqu::e2e {

class UserSteps {
public:
    explicit UserSteps(const App& app);

    HWND List() const { return list_; }
    HWND StatusLabel() const { return status_; }
    std::wstring Status() const { return WindowText(status_); }

    // Right click on the list, "导入网址", the file typed into the dialog and
    // confirmed. False when the menu or the dialog did not come.
    bool ChooseFileToImport(const std::filesystem::path& file) const;
    // Ticks the check box with that text with a real click; false when it stays unticked.
    bool Tick(const wchar_t* box) const;
    // Clicks the button with that text the way the button reports a click, and
    // returns once the window has handled it (for handlers that return at once).
    bool Press(const wchar_t* button) const;

private:
    const App& app_;
    HWND list_;
    HWND status_;
};

}  // namespace qingqu::e2e
