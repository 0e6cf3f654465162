// Makes the README's picture of a finished run: the shipped program imports a
// small list, checks it against the search engine stand-in with both save boxes
// ticked, and the window is saved once the run is done.
//
//   tests/support/run_e2e_bench.sh readme_screenshot OUT.bmp
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/e2e/app_driver_win.h"
#include "tests/e2e/search_engine_stand_in_win.h"
#include "tests/e2e/user_steps_win.h"

namespace qingqu::e2e {
namespace {

// The stand-in answers by the words in the address (see search_engine_stand_in.py).
constexpr char kList[] =
    "example.com/\r\n"
    "example.com/news.html\r\n"
    "example.com/not-found-url\r\n"
    "example.com/shop.html\r\n"
    "example.com/no-results\r\n"
    "example.com/about.html\r\n";

int Run(const wchar_t* output) {
    SearchEngineStandIn engine;
    TempFolder folder;
    StartOptions options;
    options.folder = folder.Path();
    options.environment.push_back(engine.ProxyEnvironment());
    std::unique_ptr<App> app = App::Start(options);
    if (!app) return 1;

    UserSteps user(*app);
    if (!user.ChooseFileToImport(folder.WriteFile(L"urls.txt", kList)) ||
        !WaitUntil([&] { return user.Status() == L"数据导入完毕"; }) || !user.Tick(L"已收录") ||
        !user.Tick(L"未收录") || !user.Press(L"开始查询") ||
        !WaitUntil([&] { return user.Status() == L"查询任务执行完毕"; }, milliseconds(60000))) {
        std::fprintf(stderr, "the run did not finish\n");
        return 1;
    }
    MoveMouse({0, 0});  // keep the pointer out of the picture
    const bool saved = SaveScreenshot(output, app->Window());
    app->Close();
    return saved ? 0 : 1;
}

}  // namespace
}  // namespace qingqu::e2e

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: readme_screenshot OUT.bmp\n");
        return 2;
    }
    return qingqu::e2e::Run(argv[1]);
}
