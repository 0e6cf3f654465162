// A caption that opens a web address in the user's browser when the left mouse
// button is pressed on it. Blue normally, a lighter blue under the pointer, dark
// red once opened. The parent asks TextColour() when the link's
// WM_CTLCOLORSTATIC arrives.
//
//   Hyperlink link(L"https://example.org/");
//   link.Create(parent, id, "caption in code page 936", x, y, width, height);
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace qingqu {

class Hyperlink {
public:
    explicit Hyperlink(std::wstring address) : address_(std::move(address)) {}
    Hyperlink(const Hyperlink&) = delete;
    Hyperlink& operator=(const Hyperlink&) = delete;

    bool Create(HWND parent, int id, std::string_view caption, RECT bounds);
    HWND Handle() const noexcept { return window_; }
    COLORREF TextColour() const noexcept;

private:
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);
    LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void OnMouseMove();
    void OnMouseLeave();
    void Open();
    void SetHover(bool hover);

    std::wstring address_;
    HWND window_ = nullptr;
    bool hover_ = false;
    bool visited_ = false;
};

}  // namespace qingqu
