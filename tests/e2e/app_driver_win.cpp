#include "tests/e2e/app_driver_win.h"

#include "tests/e2e/probe_win.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cwctype>
#include <thread>
#include <utility>

#ifndef QINGQU_EXE_PATH
#define QINGQU_EXE_PATH ""
#endif
#ifndef QINGQU_E2E_PROBE_PATH
#define QINGQU_E2E_PROBE_PATH ""
#endif

namespace qingqu::e2e {
namespace {

constexpr milliseconds kPollInterval{20};
constexpr UINT kMessageTimeoutMs = 5000;
constexpr int kOpenFileNameBoxId = 1148;     // cmb13: the file-name box of the open-file dialog
constexpr int kOldOpenFileNameBoxId = 1152;  // edt1, in the dialog's old style

std::wstring Utf8ToWide(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int length =
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), wide.data(),
                        length);
    return wide;
}

// For messages: path::string() throws on characters the ANSI code page lacks.
std::string Utf8(const std::filesystem::path& path) {
    const std::wstring& wide = path.native();
    if (wide.empty()) return {};
    const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<size_t>(length), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), utf8.data(), length,
                        nullptr, nullptr);
    return utf8;
}

// A file of this build, as the build system names it (a Unix path when cross-built).
std::filesystem::path BuildOutputPath(std::string_view utf8) {
    std::wstring path = Utf8ToWide(utf8);
    if (path.empty()) return {};
    if (path.front() == L'/') path.insert(0, L"Z:");  // a Unix path seen through Wine
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

// Sends a message to a window of another process without hanging the test when
// that process stops answering; 0 when it does not answer.
LRESULT SendTimed(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &result))
        return 0;
    return static_cast<LRESULT>(result);
}

// ---- Memory in another process ----

DWORD ProcessOf(HWND window) {
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    return processId;
}

// A buffer in another process, for messages whose arguments point to memory
// (LVM_GETITEMTEXTW and the like) and for threads run there.
class RemoteBuffer {
public:
    RemoteBuffer(DWORD processId, size_t size) : size_(size) {
        process_.Reset(OpenProcess(PROCESS_CREATE_THREAD | PROCESS_VM_OPERATION | PROCESS_VM_READ |
                                       PROCESS_VM_WRITE | PROCESS_QUERY_INFORMATION,
                                   FALSE, processId));
        if (!process_.IsValid()) return;
        void* address =
            VirtualAllocEx(process_.Get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
        memory_ = ScopedRemoteMemory(process_.Get(), address);
    }

    bool IsValid() const { return memory_.IsValid(); }
    HANDLE Process() const { return process_.Get(); }
    size_t Size() const { return size_; }
    char* Address() const { return static_cast<char*>(memory_.Get()); }
    LPARAM At(size_t offset) const { return reinterpret_cast<LPARAM>(Address() + offset); }

    bool Write(size_t offset, const void* data, size_t size) const {
        SIZE_T written = 0;
        return offset + size <= size_ &&
               WriteProcessMemory(process_.Get(), Address() + offset, data, size, &written) &&
               written == size;
    }
    bool Read(size_t offset, void* data, size_t size) const {
        SIZE_T read = 0;
        return offset + size <= size_ &&
               ReadProcessMemory(process_.Get(), Address() + offset, data, size, &read) &&
               read == size;
    }

private:
    ScopedHandle process_;
    ScopedRemoteMemory memory_;  // freed before process_ is closed
    size_t size_;
};

// Fetches a text that `message` writes into the other process's memory: `item`
// goes there in front of a text buffer, `setBuffer` points it at that buffer, and
// the buffer grows until the text fits.
template <class Item, class SetBuffer>
std::wstring RemoteText(HWND window, UINT message, WPARAM wParam, Item item, SetBuffer setBuffer) {
    for (size_t chars = 1024; chars <= (size_t{1} << 22); chars *= 4) {
        RemoteBuffer buffer(ProcessOf(window), sizeof(Item) + chars * sizeof(wchar_t));
        if (!buffer.IsValid()) return {};
        setBuffer(item, reinterpret_cast<wchar_t*>(buffer.Address() + sizeof(Item)),
                  static_cast<int>(chars));
        std::vector<wchar_t> text(chars, L'\0');
        if (!buffer.Write(0, &item, sizeof item) || !buffer.Write(sizeof item, text.data(), 2))
            return {};
        SendTimed(window, message, wParam, buffer.At(0));
        if (!buffer.Read(sizeof item, text.data(), chars * sizeof(wchar_t))) return {};
        const size_t length = std::find(text.begin(), text.end(), L'\0') - text.begin();
        if (length + 1 < chars) return std::wstring(text.data(), length);
    }
    return {};
}

HWND FirstVisiblePopupMenu() {
    for (HWND menu = FindWindowExW(nullptr, nullptr, L"#32768", nullptr); menu;
         menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) {
        if (IsWindowVisible(menu)) return menu;
    }
    return nullptr;
}

std::vector<std::wstring> MergedEnvironment(const std::vector<std::wstring>& extra) {
    std::vector<std::wstring> entries;
    if (wchar_t* block = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = block; *entry; entry += wcslen(entry) + 1)
            entries.emplace_back(entry);
        FreeEnvironmentStringsW(block);
    }
    auto nameOf = [](std::wstring_view entry) {
        // Entries such as "=C:=C:\..." start with '='; their name includes it.
        const size_t equals = entry.find(L'=', 1);
        std::wstring name(entry.substr(0, equals));
        for (wchar_t& c : name) c = static_cast<wchar_t>(std::towupper(c));
        return name;
    };
    for (const std::wstring& added : extra) {
        const std::wstring name = nameOf(added);
        std::erase_if(entries, [&](const std::wstring& e) { return nameOf(e) == name; });
        entries.push_back(added);
    }
    return entries;
}

// ---- Running the probe in another process ----

// Where the module loaded from `file` sits in the other process.
void* RemoteModuleBase(DWORD processId, const std::filesystem::path& file) {
    ScopedHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    if (!snapshot.IsValid()) return nullptr;
    MODULEENTRY32W module{};
    module.dwSize = sizeof module;
    for (BOOL more = Module32FirstW(snapshot.Get(), &module); more;
         more = Module32NextW(snapshot.Get(), &module)) {
        if (_wcsicmp(module.szModule, file.filename().c_str()) == 0) return module.modBaseAddr;
    }
    return nullptr;
}

// The address in the other process of a function exported by `file`, which is
// loaded in both.
void* RemoteProcAddress(DWORD processId, const std::filesystem::path& file, HMODULE local,
                        const char* name) {
    void* remoteBase = RemoteModuleBase(processId, file);
    const auto proc = reinterpret_cast<char*>(GetProcAddress(local, name));
    if (!remoteBase || !proc) return nullptr;
    return static_cast<char*>(remoteBase) + (proc - reinterpret_cast<char*>(local));
}

// Runs `start(buffer)` on a new thread of the buffer's process; its exit code.
std::optional<DWORD> RunRemoteThread(const RemoteBuffer& buffer, void* start) {
    ScopedHandle thread(CreateRemoteThread(buffer.Process(), nullptr, 0,
                                           reinterpret_cast<LPTHREAD_START_ROUTINE>(start),
                                           buffer.Address(), 0, nullptr));
    DWORD code = 0;
    if (!thread.IsValid() ||
        WaitForSingleObject(thread.Get(), kMessageTimeoutMs) != WAIT_OBJECT_0 ||
        !GetExitCodeThread(thread.Get(), &code))
        return std::nullopt;
    return code;
}

// Runs the probe library's routine `name` inside the process on `record`, which
// it fills.
bool RunProbe(DWORD processId, const char* name, void* record, size_t size) {
    const std::filesystem::path library = BuildOutputPath(QINGQU_E2E_PROBE_PATH);
    // This process loads the library too, only to learn where its routines lie; it
    // stays loaded for the life of the test.
    static const HMODULE localProbe = LoadLibraryW(library.c_str());
    const HMODULE localKernel = GetModuleHandleW(L"kernel32.dll");
    if (!localProbe) return false;

    if (!RemoteModuleBase(processId, library)) {
        const std::wstring path = library.wstring();
        RemoteBuffer remotePath(processId, (path.size() + 1) * sizeof(wchar_t));
        void* loadLibrary =
            RemoteProcAddress(processId, L"kernel32.dll", localKernel, "LoadLibraryW");
        if (!loadLibrary || !remotePath.Write(0, path.c_str(), remotePath.Size()) ||
            !RunRemoteThread(remotePath, loadLibrary))
            return false;
    }
    void* routine = RemoteProcAddress(processId, library, localProbe, name);
    RemoteBuffer remoteRecord(processId, size);
    const std::optional<DWORD> done = routine && remoteRecord.Write(0, record, size)
                                          ? RunRemoteThread(remoteRecord, routine)
                                          : std::nullopt;
    return done == 1u && remoteRecord.Read(0, record, size);
}

}  // namespace

// ---- Waiting ----

bool WaitUntil(const std::function<bool()>& condition, milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(kPollInterval);
    }
}

HWND WaitForWindow(const std::function<HWND()>& find, milliseconds limit) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = find()) != nullptr; }, limit);
    return found;
}

// ---- Files ----

std::filesystem::path QingquExePath() {
    return BuildOutputPath(QINGQU_EXE_PATH);
}

TempFolder::TempFolder() {
    static int counter = 0;
    wchar_t temp[MAX_PATH + 1] = {};
    GetTempPathW(MAX_PATH + 1, temp);
    path_ = std::filesystem::path(temp) /
            (L"qingqu-e2e-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
             std::to_wstring(GetTickCount64()) + L"-" + std::to_wstring(++counter));
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
    // A program that has just ended may hold its files a moment longer.
    WaitUntil(
        [&] {
            std::error_code error;
            std::filesystem::remove_all(path_, error);
            return !error;
        },
        milliseconds{3000});
}

std::filesystem::path TempFolder::WriteFile(std::wstring_view name, std::string_view bytes) const {
    const std::filesystem::path file = path_ / name;
    ScopedHandle handle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    if (!handle.IsValid() ||
        !::WriteFile(handle.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                     nullptr) ||
        written != bytes.size())
        ADD_FAILURE() << "cannot write " << Utf8(file);
    return file;
}

std::optional<std::string> ReadFileBytes(const std::filesystem::path& path) {
    ScopedHandle handle(CreateFileW(path.c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!handle.IsValid()) return std::nullopt;
    std::string bytes;
    char chunk[65536];
    DWORD read = 0;
    while (ReadFile(handle.Get(), chunk, sizeof chunk, &read, nullptr) && read > 0)
        bytes.append(chunk, read);
    return bytes;
}

// ---- The program ----

std::unique_ptr<App> App::Start(const StartOptions& options) {
    std::unique_ptr<App> app(new App);
    std::filesystem::path exe = options.exe.empty() ? QingquExePath() : options.exe;
    if (exe.empty()) {
        ADD_FAILURE() << "no program to start: this build knows no qingqu.exe";
        return nullptr;
    }
    if (!options.folder.empty()) {
        const std::filesystem::path copy = options.folder / exe.filename();
        if (!CopyFileW(exe.c_str(), copy.c_str(), FALSE)) {
            ADD_FAILURE() << "cannot copy " << Utf8(exe) << " to " << Utf8(copy) << ", error "
                          << GetLastError();
            return nullptr;
        }
        exe = copy;
    }
    app->exe_ = exe;

    std::wstring environment;
    DWORD flags = CREATE_SUSPENDED;
    if (!options.environment.empty()) {
        for (const std::wstring& entry : MergedEnvironment(options.environment))
            environment.append(entry).push_back(L'\0');
        environment.push_back(L'\0');
        flags |= CREATE_UNICODE_ENVIRONMENT;
    }

    // The program is started from the test's working folder, not its own: making
    // its own folder the current one is the program's job.
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, flags,
                        environment.empty() ? nullptr : environment.data(), nullptr, &startup,
                        &info)) {
        ADD_FAILURE() << "cannot start " << Utf8(exe) << ", error " << GetLastError();
        return nullptr;
    }
    app->process_.Reset(info.hProcess);
    ScopedHandle thread(info.hThread);
    app->processId_ = info.dwProcessId;

    // Best effort: a job that ends the program when the test process goes.
    app->job_.Reset(CreateJobObjectW(nullptr, nullptr));
    if (app->job_.IsValid()) {
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(app->job_.Get(), JobObjectExtendedLimitInformation, &limits,
                                sizeof limits);
        AssignProcessToJobObject(app->job_.Get(), app->process_.Get());
    }
    ResumeThread(thread.Get());

    const std::wstring caption = options.caption;
    const App* self = app.get();
    app->window_ = WaitForWindow(
        [&]() -> HWND {
            for (HWND window : e2e::TopLevelWindows(self->processId_))
                if (WindowText(window) == caption) return window;
            return nullptr;
        },
        options.windowWait);
    if (!app->window_) {
        const std::optional<DWORD> exitCode = app->WaitForExit(milliseconds{0});
        ADD_FAILURE() << "no window of the started program came up"
                      << (exitCode ? " (it ended with code " + std::to_string(*exitCode) + ")"
                                   : std::string());
        return nullptr;
    }
    // The window is shown; make sure its message loop runs too.
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(app->window_, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                             &ignored)) {
        ADD_FAILURE() << "the program's window does not answer messages";
        return nullptr;
    }
    return app;
}

App::~App() {
    if (IsRunning()) {
        Kill();
        WaitForExit(milliseconds{5000});
    }
}

HWND App::Control(std::wstring_view className, std::optional<std::wstring_view> text) const {
    return FindChild(window_, className, text);
}

std::vector<HWND> App::TopLevelWindows() const {
    return e2e::TopLevelWindows(processId_);
}

bool App::IsRunning() const {
    return process_.IsValid() && WaitForSingleObject(process_.Get(), 0) == WAIT_TIMEOUT;
}

void App::Close() const {
    PostMessageW(window_, WM_CLOSE, 0, 0);
}

std::optional<DWORD> App::WaitForExit(milliseconds limit) const {
    if (!process_.IsValid() ||
        WaitForSingleObject(process_.Get(), static_cast<DWORD>(limit.count())) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(process_.Get(), &code)) return std::nullopt;
    return code;
}

void App::Kill() const {
    if (process_.IsValid()) TerminateProcess(process_.Get(), 0xDEAD);
}

// ---- Windows and controls ----

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    const int length = GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return std::wstring(name, static_cast<size_t>(std::max(length, 0)));
}

std::wstring WindowText(HWND window) {
    const LRESULT length = SendTimed(window, WM_GETTEXTLENGTH);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const LRESULT copied =
        SendTimed(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(std::clamp<LRESULT>(copied, 0, length)));
    return text;
}

std::vector<HWND> ChildWindows(HWND parent) {
    std::vector<HWND> children;
    EnumChildWindows(
        parent,
        [](HWND child, LPARAM found) {
            reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&children));
    return children;
}

HWND FindChild(HWND parent, std::wstring_view className, std::optional<std::wstring_view> text) {
    for (HWND child : ChildWindows(parent)) {
        if (ClassName(child) == className && (!text || WindowText(child) == *text)) return child;
    }
    return nullptr;
}

std::vector<HWND> TopLevelWindows(DWORD processId, std::wstring_view className) {
    struct Search {
        DWORD processId;
        std::wstring_view className;
        std::vector<HWND> found;
    } search{processId, className, {}};
    EnumWindows(
        [](HWND window, LPARAM lParam) {
            auto& s = *reinterpret_cast<Search*>(lParam);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == s.processId && IsWindowVisible(window) &&
                (s.className.empty() || ClassName(window) == s.className))
                s.found.push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

RECT ScreenRect(HWND window) {
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

RECT RectInClient(HWND window, HWND reference) {
    RECT rect = ScreenRect(window);
    MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT ClientScreenRect(HWND window) {
    RECT rect{};
    GetClientRect(window, &rect);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

POINT Center(const RECT& rect) {
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

LONG_PTR Style(HWND window) {
    return GetWindowLongPtrW(window, GWL_STYLE);
}
LONG_PTR ExStyle(HWND window) {
    return GetWindowLongPtrW(window, GWL_EXSTYLE);
}

std::optional<POINT> TitleBarPoint(HWND window, LRESULT part) {
    const RECT outer = ScreenRect(window);
    auto hit = [&](LONG x, LONG y) { return SendTimed(window, WM_NCHITTEST, 0, MAKELPARAM(x, y)); };
    // The title bar's rows: where the middle of the window's top hit-tests as caption.
    const LONG middle = (outer.left + outer.right) / 2;
    LONG firstRow = -1, lastRow = -1;
    for (LONG y = outer.top; y < std::min(outer.bottom, outer.top + 100); ++y) {
        if (hit(middle, y) != HTCAPTION) continue;
        if (firstRow < 0) firstRow = y;
        lastRow = y;
    }
    if (firstRow < 0) return std::nullopt;
    const LONG row = (firstRow + lastRow) / 2;
    LONG first = -1, last = -1;
    for (LONG x = outer.left; x < outer.right; ++x) {
        if (hit(x, row) != part) continue;
        if (first < 0) first = x;
        last = x;
    }
    if (first < 0) return std::nullopt;
    return POINT{(first + last) / 2, row};
}

std::optional<WindowProbe> ProbeWindow(HWND window) {
    WindowProbe probe{};
    probe.window = window;
    if (!RunProbe(ProcessOf(window), kProbeWindowExport, &probe, sizeof probe)) return std::nullopt;
    return probe;
}

LRESULT CheckState(HWND checkBox) {
    return SendTimed(checkBox, BM_GETCHECK);
}

void PressButton(HWND button) {
    PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                 reinterpret_cast<LPARAM>(button));
}

// ---- Real input ----

namespace {

// SendInput's absolute coordinates: 0..65535 across the primary screen; the
// system takes floor(value * width / 65536), so round up to land on the pixel.
LONG ToAbsolute(LONG pixel, int screenSize) {
    return static_cast<LONG>((static_cast<long long>(pixel) * 65536 + screenSize - 1) / screenSize);
}

void SendMouse(DWORD flags, POINT screen) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = ToAbsolute(screen.x, GetSystemMetrics(SM_CXSCREEN));
    input.mi.dy = ToAbsolute(screen.y, GetSystemMetrics(SM_CYSCREEN));
    input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
}

}  // namespace

void MoveMouse(POINT screen) {
    SendMouse(0, screen);
    WaitUntil(
        [&] {
            const POINT at = CursorPosition();
            return at.x == screen.x && at.y == screen.y;
        },
        milliseconds{2000});
}

void Click(POINT screen, MouseButton button) {
    MoveMouse(screen);
    const bool left = button == MouseButton::kLeft;
    SendMouse(left ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_RIGHTDOWN, screen);
    SendMouse(left ? MOUSEEVENTF_LEFTUP : MOUSEEVENTF_RIGHTUP, screen);
}

void Drag(POINT from, POINT to) {
    MoveMouse(from);
    SendMouse(MOUSEEVENTF_LEFTDOWN, from);
    MoveMouse({(from.x + to.x) / 2, (from.y + to.y) / 2});
    MoveMouse(to);
    SendMouse(MOUSEEVENTF_LEFTUP, to);
}

POINT CursorPosition() {
    POINT at{};
    GetCursorPos(&at);
    return at;
}

void PressKeys(std::initializer_list<WORD> virtualKeys) {
    for (WORD key : virtualKeys) {
        INPUT inputs[2]{};
        for (INPUT& input : inputs) {
            input.type = INPUT_KEYBOARD;
            input.ki.wVk = key;
            input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC));
        }
        inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, inputs, sizeof inputs[0]);
    }
}

// ---- The list view ----

int ListView::ItemCount() const {
    return static_cast<int>(SendTimed(list_, LVM_GETITEMCOUNT));
}

std::wstring ListView::ItemText(int row, int column) const {
    LVITEMW item{};
    item.iSubItem = column;
    return RemoteText(list_, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), item,
                      [](LVITEMW& i, wchar_t* text, int chars) {
                          i.pszText = text;
                          i.cchTextMax = chars;
                      });
}

std::vector<std::vector<std::wstring>> ListView::Rows() const {
    std::vector<std::vector<std::wstring>> rows;
    const int columns = ColumnCount();
    for (int row = 0, count = ItemCount(); row < count; ++row) {
        std::vector<std::wstring>& cells = rows.emplace_back();
        for (int column = 0; column < columns; ++column) cells.push_back(ItemText(row, column));
    }
    return rows;
}

HWND ListView::Header() const {
    return reinterpret_cast<HWND>(SendTimed(list_, LVM_GETHEADER));
}

int ListView::ColumnCount() const {
    return static_cast<int>(SendTimed(Header(), HDM_GETITEMCOUNT));
}

std::wstring ListView::ColumnTitle(int column) const {
    LVCOLUMNW item{};
    item.mask = LVCF_TEXT;
    return RemoteText(list_, LVM_GETCOLUMNW, static_cast<WPARAM>(column), item,
                      [](LVCOLUMNW& c, wchar_t* text, int chars) {
                          c.pszText = text;
                          c.cchTextMax = chars;
                      });
}

int ListView::ColumnWidth(int column) const {
    return static_cast<int>(SendTimed(list_, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column)));
}

int ListView::ColumnFormat(int column) const {
    LVCOLUMNW item{};
    item.mask = LVCF_FMT;
    RemoteBuffer buffer(ProcessOf(list_), sizeof item);
    if (!buffer.Write(0, &item, sizeof item) ||
        !SendTimed(list_, LVM_GETCOLUMNW, static_cast<WPARAM>(column), buffer.At(0)) ||
        !buffer.Read(0, &item, sizeof item))
        return -1;
    return item.fmt;
}

std::optional<RECT> ListView::ItemScreenRect(int row) const {
    RECT rect{};
    rect.left = LVIR_BOUNDS;
    RemoteBuffer buffer(ProcessOf(list_), sizeof rect);
    if (!buffer.Write(0, &rect, sizeof rect) ||
        !SendTimed(list_, LVM_GETITEMRECT, static_cast<WPARAM>(row), buffer.At(0)) ||
        !buffer.Read(0, &rect, sizeof rect))
        return std::nullopt;
    MapWindowPoints(list_, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int ListView::SelectedRow() const {
    return static_cast<int>(
        SendTimed(list_, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

bool ListView::WaitForPostedMessages(milliseconds limit) const {
    const auto previous = static_cast<DWORD>(SendTimed(list_, LVM_GETHOVERTIME));
    const DWORD marker = previous + 1;
    if (!PostMessageW(list_, LVM_SETHOVERTIME, 0, marker)) return false;
    const bool handled = WaitUntil(
        [&] { return static_cast<DWORD>(SendTimed(list_, LVM_GETHOVERTIME)) == marker; }, limit);
    SendTimed(list_, LVM_SETHOVERTIME, 0, previous);
    return handled;
}

// ---- Pop-up menus ----

HWND WaitForPopupMenu(milliseconds limit) {
    return WaitForWindow(FirstVisiblePopupMenu, limit);
}

bool WaitForNoPopupMenu(milliseconds limit) {
    return WaitUntil([] { return FirstVisiblePopupMenu() == nullptr; }, limit);
}

std::vector<MenuEntry> MenuEntries(HWND menuWindow) {
    MenuProbe probe{};
    probe.menu = reinterpret_cast<HMENU>(SendTimed(menuWindow, MN_GETHMENU));
    if (!probe.menu || !RunProbe(ProcessOf(menuWindow), kProbeMenuExport, &probe, sizeof probe))
        return {};
    std::vector<MenuEntry> entries;
    for (int index = 0; index < std::min(probe.count, kMaxProbedEntries); ++index) {
        const MenuProbe::Entry& entry = probe.entries[index];
        entries.push_back({std::wstring(entry.text, wcsnlen(entry.text, kMaxProbedText)),
                           entry.state, entry.screenRect});
    }
    return entries;
}

bool ClickMenuEntry(HWND menuWindow, int index) {
    const std::vector<MenuEntry> entries = MenuEntries(menuWindow);
    if (index < 0 || index >= static_cast<int>(entries.size())) return false;
    Click(Center(entries[static_cast<size_t>(index)].screenRect));
    return true;
}

// ---- Dialogs ----

HWND WaitForDialog(DWORD processId, std::wstring_view caption, milliseconds limit) {
    return WaitForWindow(
        [&]() -> HWND {
            for (HWND dialog : TopLevelWindows(processId, L"#32770"))
                if (WindowText(dialog) == caption) return dialog;
            return nullptr;
        },
        limit);
}

bool WaitForWindowGone(HWND window, milliseconds limit) {
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, limit);
}

bool ConfirmOpenFileDialog(HWND dialog, const std::filesystem::path& path) {
    HWND nameBox = nullptr;
    for (HWND child : ChildWindows(dialog)) {
        const int id = GetDlgCtrlID(child);
        if (ClassName(child) == L"Edit" &&
            (id == kOpenFileNameBoxId || id == kOldOpenFileNameBoxId)) {
            nameBox = child;
            break;
        }
    }
    if (!nameBox) return false;
    SendTimed(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    if (WindowText(nameBox) != path.wstring()) return false;
    return PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                        reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDOK))) != 0;
}

void CancelDialog(HWND dialog) {
    PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
}

// ---- Screenshots ----

bool SaveScreenshot(const std::filesystem::path& file, HWND window) {
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (window) area = ScreenRect(window);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return false;

    // CreateDC's device context is freed with DeleteDC, like a memory one.
    ScopedMemoryDc screen(CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
    if (!screen.IsValid()) return false;
    ScopedBitmap bitmap(CreateCompatibleBitmap(screen.Get(), width, height));
    ScopedMemoryDc memory(CreateCompatibleDC(screen.Get()));
    if (!bitmap.IsValid() || !memory.IsValid()) return false;
    const HGDIOBJ previous = SelectObject(memory.Get(), bitmap.Get());
    const bool copied =
        BitBlt(memory.Get(), 0, 0, width, height, screen.Get(), area.left, area.top, SRCCOPY);
    SelectObject(memory.Get(), previous);
    if (!copied) return false;

    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = width;
    info.biHeight = height;  // bottom-up rows, as BMP files store them
    info.biPlanes = 1;
    info.biBitCount = 24;
    info.biCompression = BI_RGB;
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    std::string pixels(static_cast<size_t>(stride) * static_cast<size_t>(height), '\0');
    if (!GetDIBits(memory.Get(), bitmap.Get(), 0, static_cast<UINT>(height), pixels.data(),
                   reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS))
        return false;

    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;  // "BM"
    header.bfOffBits = sizeof header + sizeof info;
    header.bfSize = header.bfOffBits + static_cast<DWORD>(pixels.size());
    std::string bytes(reinterpret_cast<const char*>(&header), sizeof header);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes += pixels;

    std::error_code ignored;
    std::filesystem::create_directories(file.parent_path(), ignored);
    ScopedHandle out(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    DWORD written = 0;
    return out.IsValid() &&
           ::WriteFile(out.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written,
                       nullptr) &&
           written == bytes.size();
}

// ---- Fixture ----

void AppTest::SetUp() {
    StartOptions options;
    options.folder = folder_.Path();
    AdjustOptions(options);
    app_ = App::Start(options);
    ASSERT_TRUE(app_) << "the program did not start";
}

void AppTest::TearDown() {
    if (HasFailure()) {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        std::string name = std::string(test->test_suite_name()) + "." + test->name();
        std::replace(name.begin(), name.end(), '/', '_');
        const std::filesystem::path shot = std::filesystem::path("screenshots") / (name + ".bmp");
        if (SaveScreenshot(shot))
            std::printf("screenshot: %s\n", Utf8(std::filesystem::absolute(shot)).c_str());
    }
    app_.reset();
}

}  // namespace qingqu::e2e
