#include "app/control_operations_win.h"

#include "app/window_thread_win.h"

namespace qingqu {

int ControlOperations::RowCount() {
    int count = 0;
    RunOnWindowThread(WindowHandle(), [&] { count = window_.List().RowCount(); });
    return count;
}

int ControlOperations::AppendRow() {
    int row = -1;
    RunOnWindowThread(WindowHandle(), [&] { row = window_.List().AppendRow(); });
    return row;
}

void ControlOperations::AppendUrlRows(std::span<const std::string_view> urls) {
    RunOnWindowThread(WindowHandle(), [&] { window_.List().AppendUrlRows(urls); });
}

void ControlOperations::SetCellText(int row, int column, std::string_view text) {
    RunOnWindowThread(WindowHandle(), [&] { window_.List().SetCellText(row, column, text); });
}

Text ControlOperations::CellText(int row, int column) {
    Text text;
    RunOnWindowThread(WindowHandle(), [&] { text = window_.List().CellText(row, column); });
    return text;
}

void ControlOperations::DeleteAllRows() {
    RunOnWindowThread(WindowHandle(), [&] { window_.List().DeleteAllRows(); });
}

int ControlOperations::Ticked(SaveBox box) {
    int ticked = 0;
    RunOnWindowThread(WindowHandle(), [&] { ticked = window_.Ticked(box); });
    return ticked;
}

void ControlOperations::SetStatusCaption(std::string_view text) {
    RunOnWindowThread(WindowHandle(), [&] { window_.SetStatusCaption(text); });
}

}  // namespace qingqu
