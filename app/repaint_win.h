// Controls drawn on a transparent background leave their old text behind when
// they repaint alone; the parent has to paint the background under them first.
#pragma once

#include <windows.h>

namespace qingqu {

inline void RepaintWithParent(HWND control) {
    HWND parent = GetParent(control);
    RECT bounds;
    GetWindowRect(control, &bounds);
    MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&bounds), 2);
    RedrawWindow(parent, &bounds, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

}  // namespace qingqu
