// The URL list: a report-view list that draws its three columns ("ID", "网址",
// "状态") from the program's own row store, and the pop-up menu a right click
// on it opens. All members run on the window's thread.
//
//   UrlList list;
//   list.Create(mainWindow, kUrlListId, bounds);
//   int row = list.AppendRow();
//   list.SetCellText(row, kUrlColumn, url);
//   // in the parent's WM_NOTIFY: if (list.Owns(header)) return list.OnNotify(header);
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <span>
#include <string>
#include <string_view>

#include "app/row_store.h"
#include "text/text.h"

namespace qingqu {

inline constexpr UINT kImportMenuId = 201;
inline constexpr UINT kClearMenuId = 202;

class UrlList {
public:
    bool Create(HWND parent, int id, RECT bounds);
    HWND Handle() const noexcept { return window_; }

    int RowCount() const noexcept { return rows_.Count(); }
    // The index of the new row, whose cells are empty; -1 when adding fails.
    int AppendRow();
    // One row per URL: "ID" the row count right after the row's append, "网址" the URL.
    void AppendUrlRows(std::span<const std::string_view> urls);
    void SetCellText(int row, int column, std::string_view text);
    Text CellText(int row, int column) const;
    void DeleteAllRows();

    bool Owns(const NMHDR& header) const noexcept { return header.hwndFrom == window_; }
    LRESULT OnNotify(const NMHDR& header);
    // Shows the pop-up menu at the pointer + (3, 3); a chosen entry comes back to
    // the owner as WM_COMMAND with kImportMenuId or kClearMenuId.
    void ShowListMenu(HWND owner);

private:
    void OnGetDispInfo(NMLVDISPINFOW& info);
    void AddColumns();
    void SyncItemCount(bool redrawAll);

    HWND window_ = nullptr;
    RowStore rows_;
};

}  // namespace qingqu
