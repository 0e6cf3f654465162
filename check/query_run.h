// A query run: for every row of the URL list, ask the search engine for the
// row's address, judge the result page and record the verdict in the row and,
// when its save box is ticked, in that verdict's result file.
//
// The run talks to the window, the files and the network only through a
// QueryRunHost, so the same loop runs against the real window and against a
// test's stand-in:
//
//   MyHost host;             // implements QueryRunHost
//   QueryAllUrls(host);      // returns after the last row, or soon after a stop
#pragma once

#include <string_view>

#include "text/text.h"

namespace qingqu {

enum class SaveBox { Indexed, NotIndexed };
enum class Verdict { Indexed, NotIndexed, Failed };

// What the search engine gave back for one address.
struct SearchReply {
    int statusCode = 0;  // 0 when no reply came
    Text page;           // the body in code page 936, cut before its first zero byte
};

class QueryRunHost {
public:
    virtual ~QueryRunHost() = default;

    // True once the user stopped this run. From then on every member below
    // that changes something does nothing, and the run should end.
    virtual bool Stopped() = 0;

    virtual int Ticked(SaveBox box) = 0;  // 1 when ticked at this moment, else 0
    virtual int RowCount() = 0;
    virtual Text Url(int row) = 0;  // the empty text for a row that no longer exists
    virtual SearchReply Search(std::string_view url) = 0;

    // A file beside the program, created or emptied; 0 when it cannot be opened.
    virtual int OpenResultFile(std::string_view suffix) = 0;
    virtual void WriteResultLine(int file, std::string_view line) = 0;
    virtual void CloseResultFile(int file) = 0;
    virtual void ShowStatus(std::string_view text) = 0;
    virtual void ShowVerdict(int row, std::string_view verdict) = 0;
};

void QueryAllUrls(QueryRunHost& host);

// Failed when no reply came, the status is not 2xx, the page is empty or is the
// engine's check for robots; NotIndexed when the page says nothing was found.
Verdict JudgeReply(const SearchReply& reply);

// True when the header text announces a Content-Length larger than the body that
// arrived: the connection closed mid-body, and what came is not the whole page.
bool IsCutShort(std::string_view responseHeaders, std::size_t bodySize);

// The text a verdict shows in the list.
std::string_view VerdictText(Verdict verdict);

// Every byte outside A-Z a-z 0-9 - . _ ~ as %XX (upper-case hex digits).
Text PercentEncode(std::string_view bytes);

// The search page for a word already in UTF-8.
Text SearchAddressForUtf8Word(std::string_view utf8Word);

}  // namespace qingqu
