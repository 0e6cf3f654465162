#include "tests/e2e/probe_win.h"

#include "text/scoped_win.h"

using qingqu::e2e::kMaxProbedEntries;
using qingqu::e2e::kMaxProbedText;
using qingqu::e2e::MenuProbe;
using qingqu::e2e::WindowProbe;

extern "C" DWORD WINAPI ProbeMenu(void* menuProbe) {
    auto& probe = *static_cast<MenuProbe*>(menuProbe);
    probe.count = GetMenuItemCount(probe.menu);
    for (int index = 0; index < probe.count && index < kMaxProbedEntries; ++index) {
        MenuProbe::Entry& entry = probe.entries[index];
        const auto position = static_cast<UINT>(index);
        entry.state = GetMenuState(probe.menu, position, MF_BYPOSITION);
        GetMenuItemRect(nullptr, probe.menu, position, &entry.screenRect);
        GetMenuStringW(probe.menu, position, entry.text, kMaxProbedText, MF_BYPOSITION);
    }
    return 1;
}

namespace {

HICON WindowIcon(HWND window, WPARAM kind, int classIndex) {
    if (auto own = reinterpret_cast<HICON>(SendMessageW(window, WM_GETICON, kind, 0))) return own;
    return reinterpret_cast<HICON>(GetClassLongPtrW(window, classIndex));
}

}  // namespace

extern "C" DWORD WINAPI ProbeWindow(void* windowProbe) {
    auto& probe = *static_cast<WindowProbe*>(windowProbe);
    probe.font = reinterpret_cast<HFONT>(SendMessageW(probe.window, WM_GETFONT, 0, 0));
    probe.defaultGuiFont = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    probe.bigIcon = WindowIcon(probe.window, ICON_BIG, GCLP_HICON);
    probe.smallIcon = WindowIcon(probe.window, ICON_SMALL, GCLP_HICONSM);

    ICONINFO info{};
    if (!probe.bigIcon || !GetIconInfo(probe.bigIcon, &info)) return 1;
    // GetIconInfo hands out copies of the icon's bitmaps.
    const qingqu::ScopedBitmap colourBitmap(info.hbmColor);
    const qingqu::ScopedBitmap maskBitmap(info.hbmMask);
    BITMAP colour{};
    if (colourBitmap.IsValid() && GetObjectW(colourBitmap.Get(), sizeof colour, &colour)) {
        probe.bigIconWidth = colour.bmWidth;
        probe.bigIconHeight = colour.bmHeight;
        probe.bigIconBitsPerPixel = colour.bmBitsPixel;
    }
    return 1;
}
