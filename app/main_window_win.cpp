#include "app/main_window_win.h"

#include <commctrl.h>

#include "app/app_icon_win.h"
#include "app/repaint_win.h"
#include "app/window_thread_win.h"
#include "text/wide_win.h"

namespace qingqu {

namespace {

constexpr wchar_t kWindowClass[] = L"QingquMainWindow";

// The maker's site, shown in the window and behind both links.
constexpr char kMakerHost[] = "www.moqiao.example";

enum ControlId : int {
    kUrlListId = 101,
    kUrlGroupId,
    kFunctionGroupId,
    kStartButtonId,
    kStopButtonId,
    kStatusLabelId,
    kSaveLabelId,
    kIndexedBoxId,
    kNotIndexedBoxId,
    kHintLabelId,
    kHomeLinkId,
    kAddressLabelId,
    kFeedbackLinkId,
};

// Texts of the window, in code page 936.
constexpr char kCaption[] = "\xC7\xE0\xDE\xA1 V1.0";  // 青蕖 V1.0
constexpr char kUrlGroupText[] =
    "\xCD\xF8\xD6\xB7\xC1\xD0\xB1\xED (\xCA\xF3\xB1\xEA\xD3\xD2\xBC\xFC\xB2\xD9\xD7\xF7)";
// 网址列表 (鼠标右键操作)
constexpr char kFunctionGroupText[] = "\xB9\xA6\xC4\xDC";          // 功能
constexpr char kStartText[] = "\xBF\xAA\xCA\xBC\xB2\xE9\xD1\xAF";  // 开始查询
constexpr char kStopText[] = "\xCD\xA3\xD6\xB9\xB2\xE9\xD1\xAF";   // 停止查询
constexpr char kWelcomeText[] =
    "\xBB\xB6\xD3\xAD\xC4\xFA\xCA\xB9\xD3\xC3\xB1\xBE\xC8\xED\xBC\xFE";  // 欢迎您使用本软件
constexpr char kSaveText[] = "\xB1\xA3\xB4\xE6\xA3\xBA";                 // 保存：
constexpr char kIndexedText[] = "\xD2\xD1\xCA\xD5\xC2\xBC";              // 已收录
constexpr char kNotIndexedText[] = "\xCE\xB4\xCA\xD5\xC2\xBC";           // 未收录
constexpr char kHintText[] =
    "\xBD\xAB\xD7\xD4\xB6\xAF\xB1\xA3\xB4\xE6\xB6\xD4\xD3\xA6\xCA\xFD\xBE\xDD\xBD\xE1"
    "\xB9\xFB";  // 将自动保存对应数据结果
constexpr char kHomeLinkText[] = "\xC4\xAB\xC7\xC5\xC9\xE7\xC7\xF8";      // 墨桥社区
constexpr char kFeedbackLinkText[] = "\xD2\xE2\xBC\xFB\xB7\xB4\xC0\xA1";  // 意见反馈

constexpr COLORREF kStatusColour = RGB(255, 0, 0);
constexpr COLORREF kLabelColour = RGB(0, 0, 0);

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kLabelStyle = SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX;
constexpr DWORD kButtonStyle = BS_PUSHBUTTON | BS_CENTER | BS_VCENTER | WS_TABSTOP;
constexpr DWORD kCheckBoxStyle = BS_AUTOCHECKBOX | BS_LEFT | BS_VCENTER | BS_MULTILINE | WS_TABSTOP;

constexpr RECT Bounds(int left, int top, int width, int height) {
    return {left, top, left + width, top + height};
}

// Controls inside a group box sit at the group's position plus their own.
constexpr RECT InGroup(RECT group, int left, int top, int width, int height) {
    return Bounds(group.left + left, group.top + top, width, height);
}

constexpr RECT kUrlGroup = Bounds(3, 4, 317, 260);
constexpr RECT kFunctionGroup = Bounds(2, 264, 318, 96);

std::wstring MakerAddress(std::string_view path) {
    return TextToWide(std::string("http://") + kMakerHost + std::string(path));
}

}  // namespace

MainWindow::MainWindow()
    : homeLink_(MakerAddress("/")), feedbackLink_(MakerAddress("/thread-htm-fid-4.html")) {}

bool MainWindow::Create(HINSTANCE instance, MainWindowHandlers handlers) {
    handlers_ = std::move(handlers);
    icon_ = CreateAppIcon(kIconSize);

    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    // One 64 x 64 picture serves as the large and the small icon alike.
    windowClass.hIcon = icon_.Get();
    windowClass.hIconSm = icon_.Get();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    if (!RegisterClassExW(&windowClass)) return false;

    const int left = (GetSystemMetrics(SM_CXSCREEN) - kOuterWidth) / 2;
    const int top = (GetSystemMetrics(SM_CYSCREEN) - kOuterHeight) / 2;
    CreateWindowExW(0, kWindowClass, TextToWide(kCaption).c_str(), kWindowStyle, left, top,
                    kOuterWidth, kOuterHeight, nullptr, nullptr, instance, this);
    if (!window_) return false;
    ShowWindow(window_, SW_SHOWNORMAL);
    UpdateWindow(window_);
    return true;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<MainWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->OnMessage(message, wParam, lParam);
}

LRESULT MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: return OnCreate() ? 0 : -1;
        case WM_COMMAND: OnCommand(LOWORD(wParam)); return 0;
        case WM_NOTIFY: return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
        case WM_CTLCOLORSTATIC:
            return reinterpret_cast<LRESULT>(
                OnCtlColorStatic(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
        case WM_DESTROY: OnDestroy(); return 0;
        case kRunOnWindowThreadMessage: return RunWindowWork(lParam);
        default: return DefWindowProcW(window_, message, wParam, lParam);
    }
}

bool MainWindow::OnCreate() {
    const RECT functionGroup = kFunctionGroup;
    const bool created =
        CreateControl(L"Button", kUrlGroupText, BS_GROUPBOX, kUrlGroupId, kUrlGroup) &&
        list_.Create(window_, kUrlListId, InGroup(kUrlGroup, 3, 16, 310, 239)) &&
        CreateControl(L"Button", kFunctionGroupText, BS_GROUPBOX, kFunctionGroupId,
                      functionGroup) &&
        CreateControl(L"Button", kStartText, kButtonStyle, kStartButtonId,
                      InGroup(functionGroup, 6, 17, 64, 24)) &&
        CreateControl(L"Button", kStopText, kButtonStyle, kStopButtonId,
                      InGroup(functionGroup, 72, 17, 64, 24)) &&
        (status_ = CreateControl(L"Static", kWelcomeText, kLabelStyle, kStatusLabelId,
                                 InGroup(functionGroup, 142, 22, 144, 16))) &&
        CreateControl(L"Static", kSaveText, kLabelStyle, kSaveLabelId,
                      InGroup(functionGroup, 7, 51, 39, 16)) &&
        (indexedBox_ = CreateControl(L"Button", kIndexedText, kCheckBoxStyle, kIndexedBoxId,
                                     InGroup(functionGroup, 41, 51, 63, 19))) &&
        (notIndexedBox_ =
             CreateControl(L"Button", kNotIndexedText, kCheckBoxStyle, kNotIndexedBoxId,
                           InGroup(functionGroup, 104, 51, 63, 19))) &&
        CreateControl(L"Static", kHintText, kLabelStyle, kHintLabelId,
                      InGroup(functionGroup, 38, 72, 248, 16)) &&
        CreateLinks();
    if (created) ApplyFont();
    return created;
}

bool MainWindow::CreateLinks() {
    return homeLink_.Create(window_, kHomeLinkId, kHomeLinkText, Bounds(7, 359, 80, 24)) &&
           CreateControl(L"Static", kMakerHost, SS_CENTER | SS_CENTERIMAGE | SS_NOPREFIX,
                         kAddressLabelId, Bounds(89, 364, 128, 16)) &&
           feedbackLink_.Create(window_, kFeedbackLinkId, kFeedbackLinkText,
                                Bounds(213, 359, 80, 24));
}

HWND MainWindow::CreateControl(const wchar_t* windowClass, std::string_view text, DWORD style,
                               int id, RECT bounds) {
    return CreateWindowExW(
        0, windowClass, TextToWide(text).c_str(), WS_CHILD | WS_VISIBLE | style, bounds.left,
        bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, window_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
}

void MainWindow::ApplyFont() {
    const auto font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
    SendMessageW(window_, WM_SETFONT, font, FALSE);
    EnumChildWindows(
        window_,
        [](HWND child, LPARAM font) {
            SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), TRUE);
            return TRUE;
        },
        static_cast<LPARAM>(font));
}

void MainWindow::OnCommand(int id) {
    switch (id) {
        case kImportMenuId: handlers_.startImport(); break;
        case kClearMenuId: ClearUrlList(); break;
        case kStartButtonId: handlers_.startQuery(); break;
        case kStopButtonId: handlers_.stopQuery(); break;
        default: break;
    }
}

LRESULT MainWindow::OnNotify(const NMHDR& header) {
    if (!list_.Owns(header)) return 0;
    if (header.code == NM_RCLICK) {
        ShowListMenu();
        return 0;
    }
    return list_.OnNotify(header);
}

// Labels, check boxes and links are drawn on a transparent background.
HBRUSH MainWindow::OnCtlColorStatic(HDC dc, HWND control) {
    SetBkMode(dc, TRANSPARENT);
    if (control == status_) {
        SetTextColor(dc, kStatusColour);
    } else if (control == homeLink_.Handle()) {
        SetTextColor(dc, homeLink_.TextColour());
    } else if (control == feedbackLink_.Handle()) {
        SetTextColor(dc, feedbackLink_.TextColour());
    } else {
        SetTextColor(dc, kLabelColour);
    }
    return static_cast<HBRUSH>(GetStockObject(NULL_BRUSH));
}

void MainWindow::OnDestroy() {
    PostQuitMessage(0);
}

void MainWindow::ShowListMenu() {
    list_.ShowListMenu(window_);
}

void MainWindow::ClearUrlList() {
    list_.DeleteAllRows();
}

int MainWindow::Ticked(SaveBox box) const noexcept {
    HWND control = box == SaveBox::Indexed ? indexedBox_ : notIndexedBox_;
    return SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void MainWindow::SetStatusCaption(std::string_view text) {
    SetWindowTextW(status_, TextToWide(text).c_str());
    RepaintWithParent(status_);
}

}  // namespace qingqu
