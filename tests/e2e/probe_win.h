// Reads what only the program's own process can see: under Wine, menus and the
// messages that carry GDI or icon handles (WM_GETFONT, WM_GETICON) do not cross
// processes. The driver loads this probe library into the program (as in-context
// accessibility hooks are loaded) and runs one of its routines there on a thread
// of its own, with the routine's record in the program's memory.
#pragma once

#include <windows.h>

namespace qingqu::e2e {

inline constexpr int kMaxProbedEntries = 16;
inline constexpr int kMaxProbedText = 128;

struct MenuProbe {
    HMENU menu;  // in
    int count;   // out: entries in the menu, -1 when it is not a menu
    struct Entry {
        UINT state;  // GetMenuState: MF_GRAYED, MF_CHECKED, MF_SEPARATOR, ...
        RECT screenRect;
        wchar_t text[kMaxProbedText];
    } entries[kMaxProbedEntries];
};

struct WindowProbe {
    HWND window;           // in
    HFONT font;            // WM_GETFONT
    HFONT defaultGuiFont;  // the stock DEFAULT_GUI_FONT of the program
    // The icons as the window shows them: its own (WM_GETICON), else its class's.
    HICON bigIcon;
    HICON smallIcon;
    int bigIconWidth;
    int bigIconHeight;
    int bigIconBitsPerPixel;
};

inline constexpr char kProbeMenuExport[] = "ProbeMenu";
inline constexpr char kProbeWindowExport[] = "ProbeWindow";

}  // namespace qingqu::e2e

// Thread routines run in the program: each fills the record it is given and
// returns 1.
extern "C" __declspec(dllexport) DWORD WINAPI ProbeMenu(void* menuProbe);
extern "C" __declspec(dllexport) DWORD WINAPI ProbeWindow(void* windowProbe);
