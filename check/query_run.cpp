#include "check/query_run.h"

#include <string>

namespace qingqu {

namespace {

// Texts in code page 936.
constexpr std::string_view kNothingFound = "\xC3\xBB\xD3\xD0\xD5\xD2";  // 没有找
constexpr std::string_view kRobotCheck =
    "\xB0\xD9\xB6\xC8\xB0\xB2\xC8\xAB\xD1\xE9\xD6\xA4";                   // 百度安全验证
constexpr std::string_view kIndexed = "\xD2\xD1\xCA\xD5\xC2\xBC";         // 已收录
constexpr std::string_view kNotIndexed = "\xCE\xB4\xCA\xD5\xC2\xBC";      // 未收录
constexpr std::string_view kFailed = "\xB2\xE9\xD1\xAF\xCA\xA7\xB0\xDC";  // 查询失败
constexpr std::string_view kQueryingPrefix =
    "\xD5\xFD\xD4\xDA\xB2\xE9\xD1\xAF\xB5\xDA:";          // 正在查询第:
constexpr std::string_view kQueryingSuffix = "\xB8\xF6";  // 个
constexpr std::string_view kRunFinished =
    "\xB2\xE9\xD1\xAF\xC8\xCE\xCE\xF1\xD6\xB4\xD0\xD0\xCD\xEA\xB1\xCF";  // 查询任务执行完毕
constexpr std::string_view kIndexedFile = "/\xD2\xD1\xCA\xD5\xC2\xBC.txt";     // /已收录.txt
constexpr std::string_view kNotIndexedFile = "/\xCE\xB4\xCA\xD5\xC2\xBC.txt";  // /未收录.txt

constexpr std::string_view kSearchPage = "https://www.baidu.com/baidu?word=";
constexpr std::string_view kWordEncoding = "&ie=utf-8";

// The result files of one run, opened at its start for the boxes ticked then.
class ResultFiles {
public:
    explicit ResultFiles(QueryRunHost& host) : host_(host) {
        indexed_ = OpenIfTicked(SaveBox::Indexed, kIndexedFile);
        notIndexed_ = OpenIfTicked(SaveBox::NotIndexed, kNotIndexedFile);
    }
    ResultFiles(const ResultFiles&) = delete;
    ResultFiles& operator=(const ResultFiles&) = delete;
    // Closed when the run ends, so the user can import a result file at once.
    ~ResultFiles() {
        if (indexed_) host_.CloseResultFile(indexed_);
        if (notIndexed_) host_.CloseResultFile(notIndexed_);
    }

    int For(SaveBox box) const { return box == SaveBox::Indexed ? indexed_ : notIndexed_; }

private:
    int OpenIfTicked(SaveBox box, std::string_view suffix) {
        return host_.Ticked(box) == 1 ? host_.OpenResultFile(suffix) : 0;
    }

    QueryRunHost& host_;
    int indexed_ = 0;
    int notIndexed_ = 0;
};

bool IsUnreserved(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
           (byte >= '0' && byte <= '9') || byte == '-' || byte == '.' || byte == '_' || byte == '~';
}

// `lowerPrefix` in lower-case ASCII.
bool StartsWithIgnoringCase(std::string_view text, std::string_view lowerPrefix) {
    if (text.size() < lowerPrefix.size()) return false;
    for (std::size_t i = 0; i < lowerPrefix.size(); ++i) {
        const char c = text[i];
        if ((c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c) != lowerPrefix[i])
            return false;
    }
    return true;
}

void CheckRow(QueryRunHost& host, const ResultFiles& files, int row) {
    const Verdict verdict = JudgeReply(host.Search(host.Url(row)));
    host.ShowVerdict(row, VerdictText(verdict));
    if (verdict == Verdict::Failed) return;
    const SaveBox box = verdict == Verdict::Indexed ? SaveBox::Indexed : SaveBox::NotIndexed;
    // The box and the address count as they are now, not as they were at the start.
    if (host.Ticked(box) == 1) host.WriteResultLine(files.For(box), host.Url(row));
}

}  // namespace

namespace {

void CheckAllRows(QueryRunHost& host) {
    const ResultFiles files(host);
    const int count = host.RowCount();
    for (int i = 1; i <= count && !host.Stopped(); ++i) {
        host.ShowStatus(ConcatText(kQueryingPrefix, NumberToText(i), kQueryingSuffix));
        CheckRow(host, files, i - 1);
    }
}

}  // namespace

void QueryAllUrls(QueryRunHost& host) {
    // The files are closed before the run says it is done, so a result file can
    // be imported as soon as the user reads that.
    CheckAllRows(host);
    host.ShowStatus(kRunFinished);
}

Verdict JudgeReply(const SearchReply& reply) {
    if (reply.statusCode < 200 || reply.statusCode > 299 || reply.page.empty())
        return Verdict::Failed;
    if (FindText(reply.page, kRobotCheck) != -1) return Verdict::Failed;
    return FindText(reply.page, kNothingFound) != -1 ? Verdict::NotIndexed : Verdict::Indexed;
}

bool IsCutShort(std::string_view responseHeaders, std::size_t bodySize) {
    static constexpr std::string_view kLength = "content-length:";
    const TextArray lines = SplitText(responseHeaders, "\r\n");
    for (int i = 1; i <= lines.Count(); ++i) {
        const std::string_view line = lines.At(i);
        if (!StartsWithIgnoringCase(line, kLength)) continue;
        const Text value = TrimSpaces(line.substr(kLength.size()));
        if (value.empty() || value.size() > 18 ||
            value.find_first_not_of("0123456789") != Text::npos)
            return false;
        return std::stoull(value) > bodySize;
    }
    return false;
}

std::string_view VerdictText(Verdict verdict) {
    switch (verdict) {
        case Verdict::Indexed: return kIndexed;
        case Verdict::NotIndexed: return kNotIndexed;
        case Verdict::Failed: break;
    }
    return kFailed;
}

Text PercentEncode(std::string_view bytes) {
    static constexpr char kHexDigits[] = "0123456789ABCDEF";
    Text encoded;
    encoded.reserve(bytes.size() * 3);
    for (char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsUnreserved(byte)) {
            encoded += c;
        } else {
            encoded += '%';
            encoded += kHexDigits[byte >> 4];
            encoded += kHexDigits[byte & 0x0F];
        }
    }
    return encoded;
}

Text SearchAddressForUtf8Word(std::string_view utf8Word) {
    return ConcatText(kSearchPage, PercentEncode(utf8Word), kWordEncoding);
}

}  // namespace qingqu
