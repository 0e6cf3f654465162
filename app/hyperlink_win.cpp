#include "app/hyperlink_win.h"

#include <commctrl.h>
#include <shellapi.h>

#include "app/repaint_win.h"
#include "text/wide_win.h"

namespace qingqu {

namespace {
constexpr COLORREF kNormalColour = RGB(0, 0, 255);
constexpr COLORREF kHoverColour = RGB(0, 120, 215);
constexpr COLORREF kVisitedColour = RGB(128, 0, 0);
}  // namespace

bool Hyperlink::Create(HWND parent, int id, std::string_view caption, RECT bounds) {
    window_ = CreateWindowExW(
        0, L"Static", TextToWide(caption).c_str(),
        WS_CHILD | WS_VISIBLE | SS_NOTIFY | SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX, bounds.left,
        bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
    return window_ &&
           SetWindowSubclass(window_, SubclassProc, 0, reinterpret_cast<DWORD_PTR>(this));
}

COLORREF Hyperlink::TextColour() const noexcept {
    if (visited_) return kVisitedColour;
    return hover_ ? kHoverColour : kNormalColour;
}

LRESULT CALLBACK Hyperlink::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR self) {
    if (message == WM_NCDESTROY) RemoveWindowSubclass(window, SubclassProc, 0);
    return reinterpret_cast<Hyperlink*>(self)->OnMessage(message, wParam, lParam);
}

LRESULT Hyperlink::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_MOUSEMOVE: OnMouseMove(); break;
        case WM_MOUSELEAVE: OnMouseLeave(); break;
        case WM_LBUTTONDOWN: Open(); return 0;
        case WM_SETCURSOR: SetCursor(LoadCursorW(nullptr, IDC_HAND)); return TRUE;
        default: break;
    }
    return DefSubclassProc(window_, message, wParam, lParam);
}

void Hyperlink::OnMouseMove() {
    if (hover_) return;
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, window_, 0};
    TrackMouseEvent(&track);
    SetHover(true);
}

void Hyperlink::OnMouseLeave() {
    SetHover(false);
}

void Hyperlink::Open() {
    ShellExecuteW(GetParent(window_), L"open", address_.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    visited_ = true;
    RepaintWithParent(window_);
}

void Hyperlink::SetHover(bool hover) {
    hover_ = hover;
    RepaintWithParent(window_);
}

}  // namespace qingqu
