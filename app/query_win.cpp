#include "app/query_win.h"

#include <atomic>
#include <thread>

#include "app/control_operations_win.h"
#include "app/window_thread_win.h"
#include "check/search_win.h"
#include "text/file_ops.h"
#include "text/scoped_win.h"

namespace qingqu {

// One run's link to the window: reads go straight through the window's thread;
// changes go through it only while the run has not been stopped.
class QueryRun final : public QueryRunHost {
public:
    explicit QueryRun(MainWindow& window) noexcept : window_(window), controls_(window) {}

    // Both on the window's thread.
    void MarkStopped() noexcept { stopped_ = true; }
    bool InProgress() const noexcept { return !stopped_ && !finished_; }

    void Run() {
        // Kept for the whole run, so the web request's own initialise and
        // uninitialise around each call stay cheap instead of setting up and
        // tearing down COM on this thread for every row.
        ScopedCoInitialize com;
        QueryAllUrls(*this);
        finished_ = true;
    }

    bool Stopped() override { return stopped_; }

    int Ticked(SaveBox box) override { return controls_.Ticked(box); }
    int RowCount() override { return controls_.RowCount(); }
    Text Url(int row) override { return controls_.CellText(row, kUrlColumn); }

    SearchReply Search(std::string_view url) override { return SearchForUrl(url, &stopped_); }

    int OpenResultFile(std::string_view suffix) override {
        int file = 0;
        UnlessStopped([&] { file = OpenFile(ConcatText(RunDirectory(), suffix)); });
        return file;
    }

    void WriteResultLine(int file, std::string_view line) override {
        UnlessStopped([&] { WriteTextLine(file, line); });
    }

    void CloseResultFile(int file) override { CloseFile(file); }

    void ShowStatus(std::string_view text) override {
        UnlessStopped([&] { window_.SetStatusCaption(text); });
    }

    void ShowVerdict(int row, std::string_view verdict) override {
        UnlessStopped([&] { window_.List().SetCellText(row, kStatusColumn, verdict); });
    }

private:
    // The check and the change happen together on the window's thread, where
    // StopQuery sets the mark: a change is either done before the stop or never.
    template <class Change>
    void UnlessStopped(Change&& change) {
        RunOnWindowThread(window_.Handle(), [&] {
            if (!stopped_) change();
        });
    }

    MainWindow& window_;
    ControlOperations controls_;
    std::atomic<bool> stopped_ = false;
    std::atomic<bool> finished_ = false;
};

void QueryRunner::StartQuery() {
    if (newest_ && newest_->InProgress()) return;
    newest_ = std::make_shared<QueryRun>(window_);
    std::thread([run = newest_] { run->Run(); }).detach();
}

void QueryRunner::StopQuery() {
    if (newest_) newest_->MarkStopped();
}

}  // namespace qingqu
