// The operations through which worker threads reach the main window. Each one
// is carried out on the window's thread while the caller waits (see
// window_thread_win.h), so the caller sees its result and its effect at once.
// When the window is gone, reads give 0 or the empty text and writes do nothing.
//
//   ControlOperations controls(mainWindow);   // on any thread
//   int row = controls.AppendRow();
//   controls.SetCellText(row, kUrlColumn, url);
#pragma once

#include <windows.h>

#include <span>
#include <string_view>

#include "app/main_window_win.h"
#include "text/text.h"

namespace qingqu {

class ControlOperations {
public:
    // The window may be created later; workers start only once it exists.
    explicit ControlOperations(MainWindow& window) noexcept : window_(window) {}

    int RowCount();
    // The index of the new row, or -1 when adding fails.
    int AppendRow();
    // Appends one row per URL, in one visit to the window's thread: each row's
    // "ID" is the row count right after its own append, its "网址" the URL.
    void AppendUrlRows(std::span<const std::string_view> urls);
    // Does nothing for a row that does not exist.
    void SetCellText(int row, int column, std::string_view text);
    // The empty text for a row that does not exist.
    Text CellText(int row, int column);
    void DeleteAllRows();
    // 1 when the box is ticked at the moment of the call, 0 otherwise.
    int Ticked(SaveBox box);
    void SetStatusCaption(std::string_view text);
    HWND WindowHandle() const noexcept { return window_.Handle(); }

private:
    MainWindow& window_;
};

}  // namespace qingqu
