// Prints how fast the shipped program checks a list against the search engine
// stand-in: rows per second, with each reply sent at once and delayed, and the
// program's own time per row: the run's time (from the press of "开始查询" to
// "查询任务执行完毕") less the time the stand-in spent on its replies, as it logs
// them (from a request's arrival to its reply's last byte, the delay included).
// Both save boxes are ticked, so every row also writes its result line.
//
// Beside that total, the time between a reply's last byte and the next request
// (median and 90th percentile, on the stand-in's clock) shows the cost of one
// row once the run is going; "start+end" is the rest: from the press to the
// first request, and from the last reply to the end text.
//
//   QINGQU_SEARCH_STAND_IN_DIR=DIR wine query_run_bench.exe [rows, default 200]
//       [rounds, default 3] [reply delays in ms, default 0 50]
// tests/support/run_e2e_bench.sh starts the stand-in, the display and Wine for it.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "tests/e2e/app_driver_win.h"
#include "tests/e2e/search_engine_stand_in_win.h"
#include "tests/e2e/user_steps_win.h"

namespace qingqu::e2e {
namespace {

using Clock = std::chrono::steady_clock;

struct RunFigures {
    double seconds = 0;         // press of the start button to the end text
    double standInSeconds = 0;  // the stand-in's time over all replies
    double busySeconds = 0;     // the first request's arrival to the last reply
    std::vector<double> gaps;   // seconds from each reply to the next request, sorted
    int requests = 0;
    int connections = 0;
    int notIndexed = 0;  // rows whose verdict is not "已收录", as every reply is a results page
};

double Percentile(const std::vector<double>& sorted, double p) {
    if (sorted.empty()) return 0;
    return sorted[std::min(sorted.size() - 1, static_cast<size_t>(p * (sorted.size() - 1) + 0.5))];
}

std::string ListFile(int rows, int delayMs) {
    std::string list;
    for (int row = 1; row <= rows; ++row) {
        list += "http://www.example.com/bench/";
        if (delayMs > 0) list += "delay-" + std::to_string(delayMs) + "/";
        list += "page-" + std::to_string(row) + ".html\r\n";
    }
    return list;
}

std::optional<RunFigures> MeasureRun(const SearchEngineStandIn& engine, int rows, int delayMs) {
    TempFolder folder;
    StartOptions options;
    options.folder = folder.Path();
    options.environment.push_back(engine.ProxyEnvironment());
    const std::unique_ptr<App> app = App::Start(options);
    if (!app) return std::nullopt;
    const UserSteps user(*app);
    const ListView list(user.List());
    if (!user.ChooseFileToImport(folder.WriteFile(L"urls.txt", ListFile(rows, delayMs))) ||
        !WaitUntil([&] { return list.ItemCount() == rows && user.Status() == L"数据导入完毕"; },
                   milliseconds{60000})) {
        std::fprintf(stderr, "the list was not imported\n");
        return std::nullopt;
    }
    if (!user.Tick(L"已收录") || !user.Tick(L"未收录")) return std::nullopt;

    const size_t mark = engine.LogMark();
    const Clock::time_point start = Clock::now();
    if (!user.Press(L"开始查询")) return std::nullopt;
    // Polled closely: the end text is the only sign of the run's end.
    const auto limit = start + std::chrono::seconds(30) + std::chrono::milliseconds(rows * 1000);
    while (user.Status() != L"查询任务执行完毕") {
        if (Clock::now() > limit) {
            std::fprintf(stderr, "the run did not end\n");
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    RunFigures figures;
    figures.seconds = std::chrono::duration<double>(Clock::now() - start).count();
    // The last reply's line may be written a moment after the program has it.
    WaitUntil([&] {
        int replies = 0;
        for (const StandInEvent& event : engine.EventsSince(mark)) replies += event.kind == "reply";
        return replies >= rows;
    });
    double firstRequest = -1, lastReply = -1;
    for (const StandInEvent& event : engine.EventsSince(mark)) {
        if (event.kind == "request") {
            if (firstRequest < 0) firstRequest = event.seconds;
            if (lastReply >= 0) figures.gaps.push_back(event.seconds - lastReply);
        }
        if (event.kind == "reply" && !event.fields.empty()) {
            ++figures.requests;
            figures.standInSeconds += std::atof(event.fields.back().c_str()) / 1000.0;
            lastReply = event.seconds;
        }
        figures.connections += event.kind == "connect";
    }
    figures.busySeconds = lastReply - firstRequest;
    std::sort(figures.gaps.begin(), figures.gaps.end());
    for (int row = 0; row < rows; ++row) figures.notIndexed += list.ItemText(row, 2) != L"已收录";
    app->Close();
    app->WaitForExit();
    return figures;
}

int Main(int argc, char** argv) {
    const int rows = argc > 1 ? std::atoi(argv[1]) : 200;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 3;
    std::vector<int> delays;
    for (int i = 3; i < argc; ++i) delays.push_back(std::atoi(argv[i]));
    if (delays.empty()) delays = {0, 50};

    const SearchEngineStandIn engine;
    if (!engine.IsRunning()) {
        std::fprintf(stderr, "%s\n", engine.Problem().c_str());
        return 1;
    }
    std::printf("%5s %6s %7s %7s %9s %9s %15s %13s %8s\n", "rows", "delay", "run s", "rows/s",
                "stand-in", "own", "own per row", "start+end", "tunnels");
    std::printf("%5s %6s %7s %7s %9s %9s %15s %13s %8s\n", "", "ms", "", "", "ms/row", "ms/row",
                "median/p90 ms", "ms", "");
    for (const int delayMs : delays) {
        for (int round = 0; round < rounds; ++round) {
            const std::optional<RunFigures> f = MeasureRun(engine, rows, delayMs);
            if (!f) return 1;
            std::printf("%5d %6d %7.2f %7.1f %9.2f %9.2f %7.2f/%-7.2f %10.0f %8d %7d\n", rows,
                        delayMs, f->seconds, rows / f->seconds, f->standInSeconds * 1000 / rows,
                        (f->seconds - f->standInSeconds) * 1000 / rows,
                        Percentile(f->gaps, 0.5) * 1000, Percentile(f->gaps, 0.9) * 1000,
                        (f->seconds - f->busySeconds) * 1000, f->connections, f->notIndexed);
            std::fflush(stdout);
        }
    }
    return 0;
}

}  // namespace
}  // namespace qingqu::e2e

int main(int argc, char** argv) {
    return qingqu::e2e::Main(argc, argv);
}
