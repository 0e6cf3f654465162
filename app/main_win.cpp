// Start-up: prepare the process, show the main window, run the message loop.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "app/control_operations_win.h"
#include "app/import_win.h"
#include "app/main_window_win.h"
#include "app/query_win.h"
#include "text/file_ops.h"

namespace qingqu {
namespace {

constexpr wchar_t kStartFailedText[] =
    L"\u542F\u52A8\u7A97\u53E3\u8F7D\u5165\u5931\u8D25";  // 启动窗口载入失败

void PrepareProcess() {
    OleInitialize(nullptr);
    ChangeDirectory(RunDirectory());
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}

int RunMessageLoop(HWND window) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        // Lets Tab move between the list, the buttons and the boxes.
        if (IsDialogMessageW(window, &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return 0;
}

int Run(HINSTANCE instance) {
    PrepareProcess();
    static MainWindow window;
    static ControlOperations controls(window);
    static QueryRunner queries(window);
    MainWindowHandlers handlers{[] { StartImport(controls); }, [] { queries.StartQuery(); },
                                [] { queries.StopQuery(); }};
    if (!window.Create(instance, std::move(handlers))) {
        MessageBoxW(nullptr, kStartFailedText, L"\u9752\u8556 V1.0", MB_ICONERROR | MB_OK);
        return 1;
    }
    return RunMessageLoop(window.Handle());
}

}  // namespace
}  // namespace qingqu

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    const int exitCode = qingqu::Run(instance);
    // Import and query threads still running end with the process, unwaited;
    // leaving through ExitProcess keeps static destructors from running under them.
    ExitProcess(static_cast<UINT>(exitCode));
}
