// Prints how the shipped program copes with a large URL list imported through
// the real dialog: the time from the dialog's OK to "数据导入完毕", the program's
// working set (peak, and after the import), and how long the window took to
// answer WM_NULL while the import ran. A one-line file, imported first in a
// program of its own, shows what the dialog alone costs (under Wine, the work
// after an open-file dialog's OK starts about 2 s late).
//
//   wine import_bench.exe [lines, default 1000000]
// tests/support/run_e2e_bench.sh starts a display and Wine for it.
#include <windows.h>

#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/app_driver_win.h"
#include "tests/e2e/user_steps_win.h"
#include "text/scoped_win.h"

namespace qingqu::e2e {
namespace {

using Clock = std::chrono::steady_clock;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Lines like http://www.example.com/some/path/0000001, each ended by CR LF.
std::string ListFile(int lines) {
    std::string list;
    list.reserve(static_cast<size_t>(lines) * 42);
    char line[64];
    for (int n = 1; n <= lines; ++n) {
        const int length =
            std::snprintf(line, sizeof line, "http://www.example.com/some/path/%07d\r\n", n);
        list.append(line, static_cast<size_t>(length));
    }
    return list;
}

// Round trips of WM_NULL to the window, one every few milliseconds, until stopped.
class AnswerTimes {
public:
    explicit AnswerTimes(HWND window)
        : thread_([this, window] {
              while (!stop_) {
                  const Clock::time_point sent = Clock::now();
                  DWORD_PTR ignored = 0;
                  const bool answered =
                      SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &ignored) != 0;
                  const double ms = SecondsSince(sent) * 1000;
                  times_.push_back(answered ? ms : 1e9);
                  std::this_thread::sleep_for(std::chrono::milliseconds(5));
              }
          }) {}
    ~AnswerTimes() { Stop(); }

    std::vector<double> Stop() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        std::sort(times_.begin(), times_.end());
        return times_;
    }

private:
    std::atomic<bool> stop_ = false;
    std::vector<double> times_;
    std::thread thread_;
};

double Percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) return 0;
    return sorted[std::min(sorted.size() - 1, static_cast<size_t>(p * (sorted.size() - 1) + 0.5))];
}

struct ImportFigures {
    double firstRow = 0, allRows = 0, done = 0;  // seconds after the dialog's OK
    PROCESS_MEMORY_COUNTERS before{}, after{};
    std::vector<double> answerMs;  // sorted
};

std::optional<ImportFigures> MeasureImport(int lines, size_t* fileBytes) {
    TempFolder folder;
    const std::string bytes = ListFile(lines);
    *fileBytes = bytes.size();
    const std::filesystem::path file = folder.WriteFile(L"urls.txt", bytes);
    StartOptions options;
    options.folder = folder.Path();
    const std::unique_ptr<App> app = App::Start(options);
    if (!app) return std::nullopt;
    const UserSteps user(*app);
    const ListView list(user.List());
    const ScopedHandle process(
        OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, app->ProcessId()));
    ImportFigures figures;
    GetProcessMemoryInfo(process.Get(), &figures.before, sizeof figures.before);

    RightClick(Center(ClientScreenRect(user.List())));
    HWND menu = WaitForPopupMenu();
    if (!menu || !ClickMenuEntry(menu, 0)) return std::nullopt;
    HWND dialog = WaitForDialog(app->ProcessId(), L"请导入网址");
    if (!dialog) return std::nullopt;
    AnswerTimes answers(app->Window());
    const Clock::time_point ok = Clock::now();
    if (!ConfirmOpenFileDialog(dialog, file)) return std::nullopt;
    while (SecondsSince(ok) < 600) {
        const int count = list.ItemCount();
        if (count > 0 && figures.firstRow == 0) figures.firstRow = SecondsSince(ok);
        if (count == lines && figures.allRows == 0) figures.allRows = SecondsSince(ok);
        if (figures.allRows > 0 && user.Status() == L"数据导入完毕") {
            figures.done = SecondsSince(ok);
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    figures.answerMs = answers.Stop();
    GetProcessMemoryInfo(process.Get(), &figures.after, sizeof figures.after);
    if (figures.done == 0) {
        std::fprintf(stderr, "the import did not end: %d rows\n", list.ItemCount());
        return std::nullopt;
    }
    app->Close();
    app->WaitForExit();
    return figures;
}

int Main(int argc, char** argv) {
    const int lines = argc > 1 ? std::atoi(argv[1]) : 1000000;
    const double mb = 1024.0 * 1024.0;
    std::printf("%8s %6s | %-27s | %-28s | %s\n", "", "", "s after the dialog's OK",
                "working set MB", "WM_NULL answered in ms");
    std::printf("%8s %6s | %8s %8s %9s | %8s %8s %10s | %5s %6s %6s %6s\n", "lines", "MB",
                "1st row", "all rows", "finished", "before", "after", "peak", "count", "median",
                "p99", "max");
    for (const int count : {1, lines}) {
        size_t fileBytes = 0;
        const std::optional<ImportFigures> f = MeasureImport(count, &fileBytes);
        if (!f) return 1;
        const std::vector<double>& ms = f->answerMs;
        std::printf("%8d %6.1f | %8.2f %8.2f %9.2f | %8.1f %8.1f %10.1f | %5zu %6.1f %6.1f %6.1f\n",
                    count, fileBytes / mb, f->firstRow, f->allRows, f->done,
                    f->before.WorkingSetSize / mb, f->after.WorkingSetSize / mb,
                    f->after.PeakWorkingSetSize / mb, ms.size(), Percentile(ms, 0.5),
                    Percentile(ms, 0.99), ms.empty() ? 0.0 : ms.back());
        std::fflush(stdout);
    }
    return 0;
}

}  // namespace
}  // namespace qingqu::e2e

int main(int argc, char** argv) {
    return qingqu::e2e::Main(argc, argv);
}
