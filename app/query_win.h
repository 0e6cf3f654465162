// The start and stop buttons: one query run at a time, each on its own thread.
//
// A stop is cooperative: StopQuery marks the run stopped on the window's thread,
// and every change the run makes (list, label, result files) is carried out on
// the window's thread only after checking that mark there. So once StopQuery has
// returned the run changes nothing more, and the window never waits for it. The
// run's thread gives up its request in flight and ends on its own shortly after.
#pragma once

#include <memory>

#include "app/main_window_win.h"

namespace qingqu {

class QueryRun;

class QueryRunner {
public:
    explicit QueryRunner(MainWindow& window) noexcept : window_(window) {}

    // Starts a run, unless one is in progress. On the window's thread.
    void StartQuery();
    // Stops the newest run; nothing when no run is in progress. On the window's thread.
    void StopQuery();

private:
    MainWindow& window_;
    std::shared_ptr<QueryRun> newest_;
};

}  // namespace qingqu
