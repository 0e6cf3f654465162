#include "check/query_run.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <tuple>
#include <map>
#include <string>
#include <vector>

namespace qingqu {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// Texts in code page 936.
const std::string kIndexed = "\xD2\xD1\xCA\xD5\xC2\xBC";                             // 已收录
const std::string kNotIndexed = "\xCE\xB4\xCA\xD5\xC2\xBC";                          // 未收录
const std::string kFailed = "\xB2\xE9\xD1\xAF\xCA\xA7\xB0\xDC";                      // 查询失败
const std::string kNothingFound = "\xC3\xBB\xD3\xD0\xD5\xD2";                        // 没有找
const std::string kRobotCheck = "\xB0\xD9\xB6\xC8\xB0\xB2\xC8\xAB\xD1\xE9\xD6\xA4";  // 百度安全验证
const std::string kFinished = "\xB2\xE9\xD1\xAF\xC8\xCE\xCE\xF1\xD6\xB4\xD0\xD0\xCD\xEA\xB1\xCF";
const std::string kIndexedFile = "/\xD2\xD1\xCA\xD5\xC2\xBC.txt";
const std::string kNotIndexedFile = "/\xCE\xB4\xCA\xD5\xC2\xBC.txt";

std::string Querying(int i) {
    return "\xD5\xFD\xD4\xDA\xB2\xE9\xD1\xAF\xB5\xDA:" + std::to_string(i) + "\xB8\xF6";
}

const SearchReply kResultsPage{200, "<html>results</html>"};
const SearchReply kNotFoundPage{200, "<p>" + kNothingFound + "</p>"};

// A window, files and search engine in memory. Once stopped, it drops every
// change, as the real window does.
class FakeHost : public QueryRunHost {
public:
    std::vector<std::string> urls;
    std::map<std::string, SearchReply> replies;  // by URL; others get kResultsPage
    bool ticked[2] = {false, false};
    bool stopped = false;
    std::function<void(const std::string& url)> onSearch;

    std::vector<std::string> statuses;
    std::vector<std::string> verdicts;  // column 2 of each row
    std::vector<std::string> searched;
    std::map<int, std::string> fileNames;
    std::map<std::string, std::vector<std::string>> files;
    std::vector<int> closed;
    int rowCountReads = 0;

    bool Stopped() override { return stopped; }
    int Ticked(SaveBox box) override { return ticked[box == SaveBox::Indexed ? 0 : 1] ? 1 : 0; }
    int RowCount() override {
        ++rowCountReads;
        return static_cast<int>(urls.size());
    }
    Text Url(int row) override {
        return row < static_cast<int>(urls.size()) ? urls[static_cast<std::size_t>(row)] : "";
    }
    SearchReply Search(std::string_view url) override {
        searched.emplace_back(url);
        if (onSearch) onSearch(std::string(url));
        auto found = replies.find(std::string(url));
        return found == replies.end() ? kResultsPage : found->second;
    }
    int OpenResultFile(std::string_view suffix) override {
        if (stopped) return 0;
        const int number = static_cast<int>(fileNames.size()) + 1;
        fileNames[number] = std::string(suffix);
        files[std::string(suffix)].clear();
        return number;
    }
    void WriteResultLine(int file, std::string_view line) override {
        if (!stopped && fileNames.count(file)) files[fileNames[file]].emplace_back(line);
    }
    void CloseResultFile(int file) override { closed.push_back(file); }
    void ShowStatus(std::string_view text) override {
        if (!stopped) statuses.emplace_back(text);
        if (text == kFinished) closedWhenFinished = closed.size();
    }
    std::size_t closedWhenFinished = 0;
    void ShowVerdict(int row, std::string_view verdict) override {
        if (stopped || row >= static_cast<int>(urls.size())) return;
        verdicts.resize(urls.size());
        verdicts[static_cast<std::size_t>(row)] = verdict;
    }
};

TEST(QueryAllUrlsTest, ChecksEveryRowInOrderAndSavesEachVerdictToItsFile) {
    FakeHost host;
    host.urls = {"a", "b", "c"};
    host.replies["b"] = kNotFoundPage;
    host.ticked[0] = host.ticked[1] = true;
    QueryAllUrls(host);

    EXPECT_THAT(host.statuses, ElementsAre(Querying(1), Querying(2), Querying(3), kFinished));
    EXPECT_THAT(host.searched, ElementsAre("a", "b", "c"));
    EXPECT_THAT(host.verdicts, ElementsAre(kIndexed, kNotIndexed, kIndexed));
    EXPECT_THAT(host.files[kIndexedFile], ElementsAre("a", "c"));
    EXPECT_THAT(host.files[kNotIndexedFile], ElementsAre("b"));
    EXPECT_THAT(host.closed, ElementsAre(1, 2));
    EXPECT_EQ(host.closedWhenFinished, 2u) << "files are closed before the run says it is done";
    EXPECT_EQ(host.rowCountReads, 1);
}

TEST(QueryAllUrlsTest, FailedRequestsAreNeitherVerdictNorLine) {
    FakeHost host;
    host.urls = {"refused", "error", "robot", "empty", "ok"};
    host.replies["refused"] = {0, ""};
    host.replies["error"] = {500, "<html>server error</html>"};
    host.replies["robot"] = {200, "<title>" + kRobotCheck + "</title>"};
    host.replies["empty"] = {200, ""};
    host.ticked[0] = host.ticked[1] = true;
    QueryAllUrls(host);

    EXPECT_THAT(host.verdicts, ElementsAre(kFailed, kFailed, kFailed, kFailed, kIndexed));
    EXPECT_THAT(host.files[kIndexedFile], ElementsAre("ok"));
    EXPECT_THAT(host.files[kNotIndexedFile], IsEmpty());
}

TEST(QueryAllUrlsTest, BoxesTickedAtTheStartDecideWhichFilesExist) {
    FakeHost host;
    host.urls = {"a", "b"};
    host.replies["b"] = kNotFoundPage;
    host.ticked[0] = true;
    // The not-indexed box is ticked during the run: its file was never opened.
    host.onSearch = [&](const std::string&) { host.ticked[1] = true; };
    QueryAllUrls(host);

    EXPECT_THAT(host.files[kIndexedFile], ElementsAre("a"));
    EXPECT_EQ(host.files.count(kNotIndexedFile), 0u);
    EXPECT_THAT(host.closed, ElementsAre(1));
}

TEST(QueryAllUrlsTest, TheBoxAndTheAddressCountAsTheyAreWhenTheLineIsWritten) {
    FakeHost host;
    host.urls = {"a", "b", "c"};
    host.ticked[0] = true;
    host.onSearch = [&](const std::string& url) {
        if (url == "a") host.urls[0] = "a-edited";  // changed while its request was out
        if (url == "b") host.ticked[0] = false;     // unticked from row 2 on
    };
    QueryAllUrls(host);

    EXPECT_THAT(host.files[kIndexedFile], ElementsAre("a-edited"));
    EXPECT_THAT(host.verdicts, ElementsAre(kIndexed, kIndexed, kIndexed));
}

TEST(QueryAllUrlsTest, RowsGoneDuringTheRunAreStillCountedAsEmptyAddresses) {
    FakeHost host;
    host.urls = {"a", "b"};
    host.ticked[0] = true;
    host.onSearch = [&](const std::string& url) {
        if (url == "a") host.urls.clear();
    };
    QueryAllUrls(host);

    EXPECT_THAT(host.searched, ElementsAre("a", ""));
    EXPECT_THAT(host.files[kIndexedFile], ElementsAre("", ""));
    EXPECT_THAT(host.statuses, ElementsAre(Querying(1), Querying(2), kFinished));
}

TEST(QueryAllUrlsTest, AnEmptyListOpensTheFilesAndFinishesAtOnce) {
    FakeHost host;
    host.ticked[1] = true;
    QueryAllUrls(host);

    EXPECT_THAT(host.searched, IsEmpty());
    EXPECT_EQ(host.files.count(kNotIndexedFile), 1u);
    EXPECT_THAT(host.statuses, ElementsAre(kFinished));
}

TEST(QueryAllUrlsTest, AStopEndsTheRunWithoutAnotherRequestOrChange) {
    FakeHost host;
    host.urls = {"a", "b", "c"};
    host.ticked[0] = true;
    host.onSearch = [&](const std::string& url) {
        if (url == "b") host.stopped = true;  // while the request for row 2 is out
    };
    QueryAllUrls(host);

    EXPECT_THAT(host.searched, ElementsAre("a", "b"));
    EXPECT_THAT(host.statuses, ElementsAre(Querying(1), Querying(2)));
    EXPECT_THAT(host.verdicts, ElementsAre(kIndexed, "", ""));
    EXPECT_THAT(host.files[kIndexedFile], ElementsAre("a"));
    EXPECT_THAT(host.closed, ElementsAre(1));
}

TEST(JudgeReplyTest, OnlyAWholeOrdinaryPageGetsAVerdict) {
    const std::pair<SearchReply, Verdict> cases[] = {
        {{200, "results"}, Verdict::Indexed},
        {{204, "results"}, Verdict::Indexed},
        {{200, "x" + kNothingFound + "y"}, Verdict::NotIndexed},
        {{200, "\xB1" + kNothingFound}, Verdict::Indexed},  // marker inside another character
        {{0, ""}, Verdict::Failed},
        {{0, "results"}, Verdict::Failed},
        {{199, "results"}, Verdict::Failed},
        {{302, "results"}, Verdict::Failed},
        {{404, kNothingFound}, Verdict::Failed},
        {{500, "results"}, Verdict::Failed},
        {{200, ""}, Verdict::Failed},
        {{200, kRobotCheck + kNothingFound}, Verdict::Failed},
    };
    for (const auto& [reply, verdict] : cases)
        EXPECT_EQ(JudgeReply(reply), verdict) << reply.statusCode << " " << reply.page;
}

TEST(IsCutShortTest, ABodyShorterThanItsAnnouncedLengthIsCutShort) {
    const std::tuple<std::string, std::size_t, bool> cases[] = {
        {"HTTP/1.1 200 OK\r\nContent-Length: 10\r\n", 9, true},
        {"HTTP/1.1 200 OK\r\ncontent-length:10\r\n", 10, false},
        {"HTTP/1.1 200 OK\r\nCONTENT-LENGTH:  12  \r\n", 11, true},
        {"HTTP/1.1 200 OK\r\nContent-Length: 5\r\n", 6, false},
        {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n", 0, false},
        {"HTTP/1.1 200 OK\r\nContent-Length: x\r\n", 0, false},
        {"HTTP/1.1 200 OK\r\nX-Content-Length: 9\r\n", 0, false},
        {"", 0, false},
    };
    for (const auto& [headers, size, cut] : cases)
        EXPECT_EQ(IsCutShort(headers, size), cut) << headers;
}

TEST(SearchAddressTest, EveryReservedByteIsPercentEncoded) {
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"AZaz09-._~", "AZaz09-._~"},
        {"http://a.com/x?y=1&z=2#f", "http%3A%2F%2Fa.com%2Fx%3Fy%3D1%26z%3D2%23f"},
        {"a b+c%d", "a%20b%2Bc%25d"},
        {"\xE4\xB8\xAD", "%E4%B8%AD"},
        {std::string("\x01\x7F\xFF", 3), "%01%7F%FF"},
    };
    for (const auto& [word, encoded] : cases) EXPECT_EQ(PercentEncode(word), encoded) << word;
    EXPECT_EQ(SearchAddressForUtf8Word("a&b"), "https://www.baidu.com/baidu?word=a%26b&ie=utf-8");
}

}  // namespace
}  // namespace qingqu
