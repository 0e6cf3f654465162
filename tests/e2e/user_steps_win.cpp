#include "tests/e2e/user_steps_win.h"

namespace qingqu::e2e {

namespace {
constexpr int kImportEntry = 0;  // "导入网址"
constexpr UINT kAnswerLimitMs = 5000;
}  // namespace

UserSteps::UserSteps(const App& app)
    : app_(app),
      list_(app.Control(L"SysListView32")),
      // Found by the text it shows at start-up.
      status_(app.Control(L"Static", L"欢迎您使用本软件")) {}

bool UserSteps::ChooseFileToImport(const std::filesystem::path& file) const {
    RightClick(Center(ClientScreenRect(list_)));
    HWND menu = WaitForPopupMenu();
    if (!menu || !ClickMenuEntry(menu, kImportEntry)) return false;
    HWND dialog = WaitForDialog(app_.ProcessId(), L"请导入网址");
    return dialog && ConfirmOpenFileDialog(dialog, file);
}

bool UserSteps::Tick(const wchar_t* box) const {
    HWND checkBox = app_.Control(L"Button", box);
    if (!checkBox) return false;
    Click(Center(ScreenRect(checkBox)));
    return WaitUntil([&] { return CheckState(checkBox) == BST_CHECKED; });
}

bool UserSteps::Press(const wchar_t* text) const {
    HWND button = app_.Control(L"Button", text);
    DWORD_PTR ignored = 0;
    return button && SendMessageTimeoutW(GetParent(button), WM_COMMAND,
                                         MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                                         reinterpret_cast<LPARAM>(button), SMTO_ABORTIFHUNG,
                                         kAnswerLimitMs, &ignored) != 0;
}

}  // namespace qingqu::e2e
