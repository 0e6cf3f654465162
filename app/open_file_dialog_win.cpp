#include "app/open_file_dialog_win.h"

#include <commdlg.h>
#undef FindText
#undef ReplaceText

#include <vector>

#include "text/file_ops.h"
#include "text/wide_win.h"

namespace qingqu {

namespace {

constexpr char kDefaultTitle[] = "\xB4\xF2\xBF\xAA\xCE\xC4\xBC\xFE";            // 打开文件
constexpr char kDefaultFilter[] = "\xCB\xF9\xD3\xD0\xCE\xC4\xBC\xFE(*.*)|*.*";  // 所有文件(*.*)|*.*
constexpr DWORD kBufferLength = 512;

const wchar_t* OrNull(const std::wstring& text) {
    return text.empty() ? nullptr : text.c_str();
}

}  // namespace

std::wstring DialogFilter(std::string_view filter) {
    std::wstring converted;
    const TextArray parts = SplitText(filter, "|");
    for (int i = 1; i <= parts.Count(); ++i) {
        converted += TextToWide(parts.At(i));
        converted += L'\0';
    }
    if (!converted.empty()) converted += L'\0';
    return converted;
}

Text ShowOpenFileDialog(HWND owner, std::optional<Text> initialDirectory, std::optional<Text> title,
                        std::optional<Text> filter, bool keepDirectory) {
    const Text saved = CurrentDirectory();
    const std::wstring wideFilter = DialogFilter(filter.value_or(kDefaultFilter));
    const std::wstring wideTitle = TextToWide(title.value_or(kDefaultTitle));
    const std::wstring wideDirectory = TextToWide(initialDirectory.value_or(saved));
    std::vector<wchar_t> file(kBufferLength + 1, L'\0');
    std::vector<wchar_t> fileTitle(kBufferLength, L' ');
    fileTitle.push_back(L'\0');

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = OrNull(wideFilter);
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = file.data();
    dialog.nMaxFile = kBufferLength;
    dialog.lpstrFileTitle = fileTitle.data();
    dialog.nMaxFileTitle = kBufferLength;
    dialog.lpstrInitialDir = OrNull(wideDirectory);
    dialog.lpstrTitle = OrNull(wideTitle);
    const bool chosen = GetOpenFileNameW(&dialog);

    if (!keepDirectory) ChangeDirectory(saved);
    if (!chosen) return {};
    Text path = WideToText(file.data());
    // The path must fit the 512-byte buffer of the code page 936 form, zero included.
    if (path.size() > static_cast<std::size_t>(kMaxDialogPath)) return {};
    return path;
}

}  // namespace qingqu
