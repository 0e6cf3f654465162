#include "app/import_win.h"

#include <algorithm>
#include <thread>
#include <vector>

#include "app/open_file_dialog_win.h"
#include "app/url_file.h"
#include "app/url_file_win.h"
#include "text/file_ops.h"
#include "text/scoped_win.h"

namespace qingqu {

namespace {

constexpr char kDialogTitle[] = "\xC7\xEB\xB5\xBC\xC8\xEB\xCD\xF8\xD6\xB7";  // 请导入网址
constexpr char kDialogFilter[] = "\xCE\xC4\xB1\xBE\xCE\xC4\xBC\xFE|*.txt";   // 文本文件|*.txt
constexpr char kImportDone[] = "\xCA\xFD\xBE\xDD\xB5\xBC\xC8\xEB\xCD\xEA\xB1\xCF";  // 数据导入完毕

// Rows go to the window in batches: one visit per row would take hours for a
// million rows, while a batch this size keeps each visit to a few milliseconds,
// so the window keeps repainting and other threads' operations fit in between.
constexpr std::size_t kRowsPerBatch = 20000;

Text ReadUrlText(const Text& path) {
    return UrlFileText(ReadWholeFile(path));
}

}  // namespace

void StartImport(ControlOperations& controls) {
    std::thread([&controls] { ImportUrlList(controls); }).detach();
}

void ImportUrlList(ControlOperations& controls) {
    // The dialog's shell parts need COM on the thread that shows it.
    ScopedCoInitialize com;
    const Text path = ShowOpenFileDialog(controls.WindowHandle(), std::nullopt, Text(kDialogTitle),
                                         Text(kDialogFilter));
    if (path.empty()) return;

    const Text text = ReadUrlText(path);
    const std::vector<std::string_view> lines = SplitUrlLines(text);
    for (std::size_t first = 0; first < lines.size(); first += kRowsPerBatch) {
        const std::size_t count = std::min(kRowsPerBatch, lines.size() - first);
        controls.AppendUrlRows(std::span(lines).subspan(first, count));
    }
    controls.SetStatusCaption(kImportDone);
}

}  // namespace qingqu
