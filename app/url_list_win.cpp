#include "app/url_list_win.h"

#include "text/scoped_win.h"
#include "text/wide_win.h"

namespace qingqu {

namespace {

struct ColumnDescription {
    const char* title;  // code page 936
    int width;
};

// "ID", "网址", "状态"
constexpr ColumnDescription kColumns[kColumnCount] = {
    {"ID", 50}, {"\xCD\xF8\xD6\xB7", 150}, {"\xD7\xB4\xCC\xAC", 80}};

constexpr const char kImportEntry[] = "\xB5\xBC\xC8\xEB\xCD\xF8\xD6\xB7";  // "导入网址"
constexpr const char kClearEntry[] = "\xC7\xE5\xBF\xD5\xCD\xF8\xD6\xB7";   // "清空网址"

constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_BORDER | LVS_REPORT |
                             LVS_SINGLESEL | LVS_OWNERDATA | LVS_NOSORTHEADER;
constexpr DWORD kListExStyle = LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES;

}  // namespace

bool UrlList::Create(HWND parent, int id, RECT bounds) {
    window_ = CreateWindowExW(0, WC_LISTVIEWW, L"", kListStyle, bounds.left, bounds.top,
                              bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                              GetModuleHandleW(nullptr), nullptr);
    if (!window_) return false;
    ListView_SetExtendedListViewStyle(window_, kListExStyle);
    AddColumns();
    return true;
}

void UrlList::AddColumns() {
    for (int column = 0; column < kColumnCount; ++column) {
        std::wstring title = TextToWide(kColumns[column].title);
        LVCOLUMNW description{};
        description.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
        description.fmt = LVCFMT_LEFT;
        description.cx = kColumns[column].width;
        description.pszText = title.data();
        description.iSubItem = column;
        SendMessageW(window_, LVM_INSERTCOLUMNW, column, reinterpret_cast<LPARAM>(&description));
    }
}

int UrlList::AppendRow() {
    const int row = rows_.Append();
    if (row >= 0) SyncItemCount(false);
    return row;
}

void UrlList::AppendUrlRows(std::span<const std::string_view> urls) {
    for (std::string_view url : urls) {
        const int row = rows_.Append();
        if (row < 0) break;
        rows_.SetCell(row, kIdColumn, NumberToText(rows_.Count()));
        rows_.SetCell(row, kUrlColumn, url);
    }
    SyncItemCount(false);
}

void UrlList::SetCellText(int row, int column, std::string_view text) {
    if (row < 0 || row >= rows_.Count()) return;
    rows_.SetCell(row, column, text);
    ListView_RedrawItems(window_, row, row);
}

Text UrlList::CellText(int row, int column) const {
    return Text(rows_.Cell(row, column));
}

void UrlList::DeleteAllRows() {
    rows_.Clear();
    SyncItemCount(true);
}

// Growing the count must not scroll the list or redraw rows that did not change.
void UrlList::SyncItemCount(bool redrawAll) {
    const LPARAM flags = redrawAll ? 0 : LVSICF_NOINVALIDATEALL | LVSICF_NOSCROLL;
    SendMessageW(window_, LVM_SETITEMCOUNT, rows_.Count(), flags);
}

LRESULT UrlList::OnNotify(const NMHDR& header) {
    if (header.code == LVN_GETDISPINFOW)
        OnGetDispInfo(*reinterpret_cast<NMLVDISPINFOW*>(const_cast<NMHDR*>(&header)));
    return 0;
}

void UrlList::OnGetDispInfo(NMLVDISPINFOW& info) {
    LVITEMW& item = info.item;
    if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
    // Copied into the list's own buffer: callers of LVM_GETITEMTEXT from other
    // processes only ever see that buffer.
    const std::wstring text = TextToWide(rows_.Cell(item.iItem, item.iSubItem));
    lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
}

void UrlList::ShowListMenu(HWND owner) {
    POINT at;
    GetCursorPos(&at);
    ScopedMenu menu(CreatePopupMenu());
    if (!menu.IsValid()) return;
    AppendMenuW(menu.Get(), MF_STRING, kImportMenuId, TextToWide(kImportEntry).c_str());
    AppendMenuW(menu.Get(), MF_STRING, kClearMenuId, TextToWide(kClearEntry).c_str());
    TrackPopupMenu(menu.Get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, at.x + 3, at.y + 3,
                   0, owner, nullptr);
}

}  // namespace qingqu
