#include "app/control_operations_win.h"

#include "app/window_thread_win.h"

namespace qingqu {

int ControlOperations::RowCount() {
    int count = 0;
    RunOnWindowThread(handle_, [&] { count = window_.List().RowCount(); });
    return count;
}

int ControlOperations::AppendRow() {
    int row = -1;
    RunOnWindowThread(handle_, [&] { row = window_.List().AppendRow(); });
    return row;
}

void ControlOperations::SetCellText(int row, int column, std::string_view text) {
    RunOnWindowThread(handle_, [&] { window_.List().SetCellText(row, column, text); });
}

Text ControlOperations::CellText(int row, int column) {
    Text text;
    RunOnWindowThread(handle_, [&] { text = window_.List().CellText(row, column); });
    return text;
}

void ControlOperations::DeleteAllRows() {
    RunOnWindowThread(handle_, [&] { window_.List().DeleteAllRows(); });
}

int ControlOperations::Ticked(SaveBox box) {
    int ticked = 0;
    RunOnWindowThread(handle_, [&] { ticked = window_.Ticked(box); });
    return ticked;
}

void ControlOperations::SetStatusCaption(std::string_view text) {
    RunOnWindowThread(handle_, [&] { window_.SetStatusCaption(text); });
}

}  // namespace qingqu
