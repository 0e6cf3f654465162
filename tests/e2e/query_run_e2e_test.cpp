// The query run as the user meets it: the shipped program imports a list, checks
// every row against a stand-in search engine reached through an ordinary proxy
// setting, shows a verdict in each row and writes the result files beside itself.
#include <windows.h>

#include <chrono>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/e2e/app_driver_win.h"
#include "tests/e2e/search_engine_stand_in_win.h"
#include "tests/e2e/user_steps_win.h"

namespace qingqu::e2e {
namespace {

using std::chrono::seconds;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

constexpr wchar_t kIndexed[] = L"已收录";
constexpr wchar_t kNotIndexed[] = L"未收录";
constexpr wchar_t kFailed[] = L"查询失败";
constexpr wchar_t kRunFinished[] = L"查询任务执行完毕";
constexpr wchar_t kImported[] = L"数据导入完毕";
constexpr wchar_t kIndexedFile[] = L"已收录.txt";
constexpr wchar_t kNotIndexedFile[] = L"未收录.txt";
constexpr int kUrlColumn = 1;
constexpr int kVerdictColumn = 2;
// A request is given up after 15 s; a run over a row that never gets its reply
// takes that long.
constexpr milliseconds kRunWithTimeOut{seconds(45)};

std::wstring Querying(int row) {
    return L"正在查询第:" + std::to_wstring(row) + L"个";
}

// Code page 936 bytes of a text: what the list file and the result files hold.
std::string Gbk(std::wstring_view text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
    return bytes;
}

// The lines of a list or result file: each in code page 936, ended by CR LF.
std::string Lines(const std::vector<std::wstring>& lines) {
    std::string bytes;
    for (const std::wstring& line : lines) bytes += Gbk(line) + "\r\n";
    return bytes;
}

// A word unique to this test process, so that a held reply is released only here.
std::string UniqueName(std::string_view stem) {
    return std::string(stem) + std::to_string(GetCurrentProcessId()) + "x" +
           std::to_string(GetTickCount64() % 100000);
}

std::wstring Wide(std::string_view ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

class QueryRunTest : public AppTest {
protected:
    void AdjustOptions(StartOptions& options) override {
        ASSERT_TRUE(engine_.IsRunning()) << engine_.Problem();
        options.environment.push_back(engine_.ProxyEnvironment());
    }

    void SetUp() override {
        AppTest::SetUp();
        if (HasFatalFailure()) return;
        user_.emplace(*app_);
        ASSERT_TRUE(user_->List() && user_->StatusLabel());
        mark_ = engine_.LogMark();
    }

    ListView List() const { return ListView(user_->List()); }
    std::wstring Status() const { return user_->Status(); }
    std::filesystem::path Beside(const wchar_t* name) const { return folder_.Path() / name; }

    // Imports a file as the user does; waits until its rows are in.
    void Import(const std::filesystem::path& file, int rowsAfter) {
        ASSERT_TRUE(user_->ChooseFileToImport(file)) << "no pop-up menu or no open-file dialog";
        const ListView list = List();
        ASSERT_TRUE(WaitUntil([&] {
            return list.ItemCount() == rowsAfter && Status() == kImported;
        })) << "rows: "
            << list.ItemCount();
    }

    void ImportList(const std::vector<std::wstring>& urls) {
        Import(folder_.WriteFile(L"urls.txt", Lines(urls)), static_cast<int>(urls.size()));
    }

    void Tick(const wchar_t* box) { ASSERT_TRUE(user_->Tick(box)) << "a box stays unticked"; }
    void Start() { ASSERT_TRUE(user_->Press(L"开始查询")) << "the window did not answer"; }
    void Stop() { ASSERT_TRUE(user_->Press(L"停止查询")) << "the window did not answer"; }

    bool WaitForRunEnd(milliseconds limit = kDefaultWait) {
        return WaitUntil([&] { return Status() == kRunFinished; }, limit);
    }

    // Waits until the stand-in has had `count` search requests since the test began.
    std::vector<StandInRequest> WaitForRequests(size_t count) const {
        std::vector<StandInRequest> requests;
        WaitUntil([&] { return (requests = engine_.RequestsSince(mark_)).size() >= count; });
        return requests;
    }

    std::vector<std::wstring> Column(int column) const {
        std::vector<std::wstring> cells;
        for (const std::vector<std::wstring>& row : List().Rows()) cells.push_back(row[column]);
        return cells;
    }

    std::optional<std::string> FileBeside(const wchar_t* name) const {
        return ReadFileBytes(Beside(name));
    }

    SearchEngineStandIn engine_;
    std::optional<UserSteps> user_;
    size_t mark_ = 0;
};

struct PageCase {
    const wchar_t* url;
    const char* replyKind;  // as the stand-in logs it
    const wchar_t* verdict;
};

// One address per kind of reply, checked in one run with both boxes ticked.
const PageCase kPageCases[] = {
    {L"http://www.example.com/results/1", "results", kIndexed},
    {L"http://www.example.com/not-found-url", "not-found-url", kNotIndexed},
    {L"http://www.example.com/no-results", "no-results", kNotIndexed},
    {L"http://www.example.com/robot-check", "robot-check", kFailed},
    {L"http://www.example.com/robot-redirect", "robot-redirect", kFailed},
    {L"http://www.example.com/status-500", "status-500", kFailed},
    {L"http://www.example.com/zero-byte", "zero-byte", kIndexed},
    {L"http://www.example.com/empty-200", "empty-200", kFailed},
    {L"http://www.example.com/slow-reply", "slow-reply", kFailed},
    {L"http://www.example.com/results/2", "results", kIndexed},
};
constexpr int kSlowRow = 9;

TEST_F(QueryRunTest, EachReplyKindGetsItsVerdictAndDecidedRowsLandInOneFileInRowOrder) {
    std::vector<std::wstring> urls;
    for (const PageCase& c : kPageCases) urls.push_back(c.url);
    ImportList(urls);
    Tick(kIndexed);
    Tick(kNotIndexed);
    Start();

    // The slow row holds the run for the whole time-out: the label names it,
    // earlier rows are decided and later ones not yet.
    ASSERT_EQ(WaitForRequests(kSlowRow + 1).size(), size_t{kSlowRow + 1})
        << "the rows before the slow one, and the captcha page, were asked for";
    EXPECT_EQ(Status(), Querying(kSlowRow));
    const std::vector<std::wstring> during = Column(kVerdictColumn);
    for (int row = 0; row < kSlowRow - 1; ++row)
        EXPECT_EQ(during[row], kPageCases[row].verdict) << "row " << row + 1;
    EXPECT_EQ(during[kSlowRow - 1], L"");
    EXPECT_EQ(during[kSlowRow], L"");

    ASSERT_TRUE(WaitForRunEnd(kRunWithTimeOut)) << "status: " << testing::PrintToString(Status());
    std::vector<std::wstring> expectedVerdicts, indexed, notIndexed;
    std::vector<std::string> expectedKinds;
    for (const PageCase& c : kPageCases) {
        expectedVerdicts.push_back(c.verdict);
        expectedKinds.push_back(c.replyKind);
        if (std::string_view(c.replyKind) == "robot-redirect") expectedKinds.push_back("captcha");
        if (c.verdict == std::wstring_view(kIndexed)) indexed.push_back(c.url);
        if (c.verdict == std::wstring_view(kNotIndexed)) notIndexed.push_back(c.url);
    }
    EXPECT_THAT(Column(kVerdictColumn), ElementsAreArray(expectedVerdicts));
    EXPECT_EQ(FileBeside(kIndexedFile), Lines(indexed));
    EXPECT_EQ(FileBeside(kNotIndexedFile), Lines(notIndexed));

    // One request per row, in row order, each to the real host through the proxy.
    std::vector<std::string> kinds;
    for (const StandInRequest& request : engine_.RequestsSince(mark_))
        kinds.push_back(request.kind);
    EXPECT_THAT(kinds, ElementsAreArray(expectedKinds));
    for (const StandInEvent& event : engine_.EventsSince(mark_)) {
        if (event.kind == "connect") {
            EXPECT_THAT(event.fields, ElementsAre("www.baidu.com:443"));
        }
    }
}

struct WordCase {
    const wchar_t* url;
    const char* word;  // as the request must carry it
};

// Every byte outside A-Z a-z 0-9 - . _ ~ of the address's UTF-8 form is escaped.
const WordCase kWordCases[] = {
    {L"http://a.example/?x=1&y=2#top", "http%3A%2F%2Fa.example%2F%3Fx%3D1%26y%3D2%23top"},
    {L"http://b.example/a b+c%20d", "http%3A%2F%2Fb.example%2Fa%20b%2Bc%2520d"},
    {L"http://c.example/中文/页面",
     "http%3A%2F%2Fc.example%2F%E4%B8%AD%E6%96%87%2F%E9%A1%B5%E9%9D%A2"},
    {L"", ""},
    {L" Az09-._~ ", "%20Az09-._~%20"},
};

TEST_F(QueryRunTest, SearchWordIsTheAddressPercentEncodedAsUtf8) {
    std::vector<std::wstring> urls;
    for (const WordCase& c : kWordCases) urls.push_back(c.url);
    ImportList(urls);
    ASSERT_EQ(List().ItemText(3, kUrlColumn), L"") << "the empty line is a row of its own";
    Tick(kIndexed);
    Start();
    ASSERT_TRUE(WaitForRunEnd());

    std::vector<std::string> targets;
    for (const StandInRequest& request : engine_.RequestsSince(mark_))
        targets.push_back(request.target);
    std::vector<std::string> expected;
    for (const WordCase& c : kWordCases)
        expected.push_back(std::string("/baidu?word=") + c.word + "&ie=utf-8");
    EXPECT_THAT(targets, ElementsAreArray(expected));

    // The result lines are the cells as they stand, the empty one as an empty line.
    EXPECT_THAT(Column(kVerdictColumn),
                ElementsAre(kIndexed, kIndexed, kIndexed, kIndexed, kIndexed));
    EXPECT_EQ(FileBeside(kIndexedFile), Lines(urls));
    EXPECT_EQ(FileBeside(kNotIndexedFile), std::nullopt) << "its box was not ticked";
}

TEST_F(QueryRunTest, WithNoBoxTickedExistingResultFilesStayUntouched) {
    const std::string earlier = Lines({L"http://earlier.example/", L"上次的结果"});
    folder_.WriteFile(kIndexedFile, earlier);
    folder_.WriteFile(kNotIndexedFile, earlier);
    ImportList({L"http://www.example.com/results/1", L"http://www.example.com/not-found-url"});
    Start();
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_THAT(Column(kVerdictColumn), ElementsAre(kIndexed, kNotIndexed));
    EXPECT_EQ(FileBeside(kIndexedFile), earlier);
    EXPECT_EQ(FileBeside(kNotIndexedFile), earlier);
}

TEST_F(QueryRunTest, EmptyListEmptiesOrCreatesTheTickedFilesAndAsksNothing) {
    folder_.WriteFile(kIndexedFile, Lines({L"http://earlier.example/"}));
    Tick(kIndexed);
    Tick(kNotIndexed);
    Start();
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(FileBeside(kIndexedFile), "") << "emptied";
    EXPECT_EQ(FileBeside(kNotIndexedFile), "") << "created";
    // Replies to earlier tests' abandoned requests may still be logged; nothing new
    // may be asked for.
    for (const StandInEvent& event : engine_.EventsSince(mark_)) {
        EXPECT_NE(event.kind, "connect");
        EXPECT_NE(event.kind, "request");
    }
}

TEST_F(QueryRunTest, StopDuringARequestEndsTheRunAtOnceAndChangesNothingMore) {
    const std::string hold = UniqueName("stop");
    const std::vector<std::wstring> urls{
        L"http://www.example.com/results/1", L"http://www.example.com/not-found-url",
        Wide("http://www.example.com/hold-" + hold + "/3"), L"http://www.example.com/results/4",
        L"http://www.example.com/not-found-url/5"};
    ImportList(urls);
    Tick(kIndexed);
    Tick(kNotIndexed);
    Start();
    const std::vector<StandInRequest> asked = WaitForRequests(3);
    ASSERT_EQ(asked.size(), 3u);
    ASSERT_EQ(asked[2].kind, "hold-");
    EXPECT_EQ(Status(), Querying(3));
    Stop();

    // As the stop returned: the row in flight and the rows after it have nothing.
    const std::vector<std::vector<std::wstring>> rows = List().Rows();
    EXPECT_THAT(Column(kVerdictColumn), ElementsAre(kIndexed, kNotIndexed, L"", L"", L""));
    EXPECT_EQ(Status(), Querying(3));
    EXPECT_EQ(FileBeside(kIndexedFile), Lines({urls[0]}));
    EXPECT_EQ(FileBeside(kNotIndexedFile), Lines({urls[1]}));

    // The reply that the stopped run was waiting for comes now; it must change
    // nothing, and no later row is asked for.
    ASSERT_TRUE(engine_.Release(hold));
    EXPECT_TRUE(WaitUntil([&] {
        return engine_.ReplyOutcome(mark_, asked[2].sequence).has_value();
    })) << "the held reply was not sent";
    std::this_thread::sleep_for(milliseconds{1500});
    EXPECT_EQ(List().Rows(), rows);
    EXPECT_EQ(Status(), Querying(3));
    EXPECT_EQ(FileBeside(kIndexedFile), Lines({urls[0]}));
    EXPECT_EQ(FileBeside(kNotIndexedFile), Lines({urls[1]}));
    EXPECT_EQ(engine_.RequestsSince(mark_).size(), 3u) << "no row after the stopped one";

    // A stopped run is over: the next start runs the whole list again.
    Start();
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_THAT(Column(kVerdictColumn),
                ElementsAre(kIndexed, kNotIndexed, kIndexed, kIndexed, kNotIndexed));
    EXPECT_EQ(FileBeside(kIndexedFile), Lines({urls[0], urls[2], urls[3]}));
    EXPECT_EQ(FileBeside(kNotIndexedFile), Lines({urls[1], urls[4]}));
}

TEST_F(QueryRunTest, StartDuringARunDoesNothing) {
    const std::string hold = UniqueName("twice");
    const std::vector<std::wstring> urls{Wide("http://www.example.com/hold-" + hold + "/1"),
                                         L"http://www.example.com/results/2",
                                         L"http://www.example.com/not-found-url/3"};
    ImportList(urls);
    Tick(kIndexed);
    Tick(kNotIndexed);
    Start();
    ASSERT_EQ(WaitForRequests(1).size(), 1u);
    EXPECT_EQ(Status(), Querying(1));
    Start();
    // A second run would ask for the first row again at once.
    std::this_thread::sleep_for(milliseconds{1500});
    EXPECT_EQ(engine_.RequestsSince(mark_).size(), 1u);
    EXPECT_EQ(Status(), Querying(1));

    ASSERT_TRUE(engine_.Release(hold));
    ASSERT_TRUE(WaitForRunEnd());
    EXPECT_EQ(engine_.RequestsSince(mark_).size(), 3u);
    EXPECT_THAT(Column(kVerdictColumn), ElementsAre(kIndexed, kIndexed, kNotIndexed));
    EXPECT_EQ(FileBeside(kIndexedFile), Lines({urls[0], urls[1]}));
    EXPECT_EQ(FileBeside(kNotIndexedFile), Lines({urls[2]}));
}

TEST_F(QueryRunTest, ResultFileCanBeImportedRightAfterTheRun) {
    const std::vector<std::wstring> urls{L"http://www.example.com/not-found-url/1",
                                         L"http://www.example.com/results/2",
                                         L"http://www.example.com/no-results/3"};
    ImportList(urls);
    Tick(kNotIndexed);
    Start();
    ASSERT_TRUE(WaitForRunEnd());
    Import(Beside(kNotIndexedFile), 5);
    EXPECT_EQ(List().ItemText(3, kUrlColumn), urls[0]);
    EXPECT_EQ(List().ItemText(4, kUrlColumn), urls[2]);
}

TEST_F(QueryRunTest, ClosingTheWindowDuringARunKeepsTheLinesWritten) {
    const std::vector<std::wstring> urls{
        L"http://www.example.com/results/1", L"http://www.example.com/not-found-url/2",
        Wide("http://www.example.com/hold-" + UniqueName("close") + "/3"),
        L"http://www.example.com/results/4"};
    ImportList(urls);
    Tick(kIndexed);
    Tick(kNotIndexed);
    Start();
    ASSERT_EQ(WaitForRequests(3).size(), 3u);
    app_->Close();
    const std::optional<DWORD> exitCode = app_->WaitForExit();
    ASSERT_TRUE(exitCode) << "still running";
    EXPECT_EQ(*exitCode, 0u);
    EXPECT_EQ(FileBeside(kIndexedFile), Lines({urls[0]}));
    EXPECT_EQ(FileBeside(kNotIndexedFile), Lines({urls[1]}));
}

}  // namespace
}  // namespace qingqu::e2e
