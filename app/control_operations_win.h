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

#include <string_view>

#include "app/main_window_win.h"
#include "text/text.h"

namespace qingqu {

class ControlOperations {
public:
    explicit ControlOperations(MainWindow& window) noexcept
        : window_(window), handle_(window.Handle()) {}

    int RowCount();
    // The index of the new row, or -1 when adding fails.
    int AppendRow();
    // Does nothing for a row that does not exist.
    void SetCellText(int row, int column, std::string_view text);
    // The empty text for a row that does not exist.
    Text CellText(int row, int column);
    void DeleteAllRows();
    // 1 when the box is ticked at the moment of the call, 0 otherwise.
    int Ticked(SaveBox box);
    void SetStatusCaption(std::string_view text);
    HWND WindowHandle() const noexcept { return handle_; }

private:
    MainWindow& window_;
    HWND handle_;
};

}  // namespace qingqu
