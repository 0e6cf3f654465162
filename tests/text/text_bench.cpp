// Speed of the character-aware searches against a plain byte search over the same
// bytes in the same run. Build optimised and without sanitizers for figures:
//   text_bench [repeats]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "text/text.h"

namespace {

using Clock = std::chrono::steady_clock;

// Code page 936 bytes of "没有找".
constexpr std::string_view kMarker = "\xC3\xBB\xD3\xD0\xD5\xD2";

volatile std::size_t sink;

// One code page 936 character from the GB2312 rows of Chinese characters.
void AppendChinese(std::string& text, std::mt19937& random) {
    text += static_cast<char>(0xB0 + random() % 0x48);
    text += static_cast<char>(0xA1 + random() % 0x5E);
}

// A result page: markup and Latin text with runs of Chinese, about `size` bytes.
std::string MakePage(std::size_t size, std::mt19937& random) {
    std::string page;
    page.reserve(size + 64);
    while (page.size() < size) {
        page += "<div class=\"result c-container\"><h3><a href=\"http://www.baidu.com/link?u=";
        page += std::to_string(random());
        page += "\">";
        for (int i = 0, n = 10 + random() % 40; i < n; ++i) AppendChinese(page, random);
        page += "</a></h3>";
        for (int i = 0, n = 30 + random() % 90; i < n; ++i) AppendChinese(page, random);
        page += "</div>\n";
    }
    // Keep the marker out, so every search reads the whole page.
    for (std::size_t at; (at = page.find(kMarker)) != std::string::npos;) page[at] = 'x';
    return page;
}

// URL lines of about 40 bytes each, one in four with a Chinese path, ending in CR LF.
std::string MakeLines(int count, std::mt19937& random) {
    std::string lines;
    lines.reserve(static_cast<std::size_t>(count) * 44);
    for (int i = 0; i < count; ++i) {
        lines += "https://www.site";
        lines += std::to_string(random() % 100000);
        lines += ".com/";
        if (i % 4 == 0) {
            for (int k = 0; k < 4; ++k) AppendChinese(lines, random);
        } else {
            lines += "page/";
            lines += std::to_string(random() % 1000);
        }
        lines += ".html\r\n";
    }
    return lines;
}

template <class Work>
double BestSeconds(int repeats, Work work) {
    double best = 1e9;
    for (int i = 0; i < repeats; ++i) {
        const auto start = Clock::now();
        work();
        best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
    }
    return best;
}

void Report(const char* what, std::size_t bytes, double ours, double baseline,
            const char* baselineName) {
    const double mb = static_cast<double>(bytes) / (1024.0 * 1024.0);
    std::printf("%-34s ours %9.3f ms %8.0f MB/s | %-26s %9.3f ms %8.0f MB/s | ratio %.2f\n", what,
                ours * 1e3, mb / ours, baselineName, baseline * 1e3, mb / baseline,
                ours / baseline);
}

}  // namespace

int main(int argc, char** argv) {
    const int repeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    std::mt19937 random(936);

    // FindText of the marker in a 1 MB page that lacks it, 20 searches per round.
    const std::string page = MakePage(1 << 20, random);
    constexpr int kSearches = 20;
    const std::size_t searched = page.size() * kSearches;
    const double findOurs = BestSeconds(repeats, [&] {
        for (int i = 0; i < kSearches; ++i) sink = sink + qingqu::FindText(page, kMarker);
    });
    const double findView = BestSeconds(repeats, [&] {
        for (int i = 0; i < kSearches; ++i) sink = sink + std::string_view(page).find(kMarker);
    });
    Report("FindText, 1 MB page, x20", searched, findOurs, findView, "string_view::find");
#ifdef __GLIBC__
    const double findMemmem = BestSeconds(repeats, [&] {
        for (int i = 0; i < kSearches; ++i)
            sink = sink + reinterpret_cast<std::size_t>(
                              memmem(page.data(), page.size(), kMarker.data(), kMarker.size()));
    });
    Report("FindText, 1 MB page, x20", searched, findOurs, findMemmem, "memmem");
#endif

    // SplitText of a million CR LF lines, against collecting the pieces as views.
    const std::string lines = MakeLines(1000000, random);
    const double splitOurs = BestSeconds(repeats, [&] {
        const qingqu::TextArray pieces = qingqu::SplitText(lines, "\r\n");
        sink = sink + static_cast<std::size_t>(pieces.Count());
    });
    const double splitViews = BestSeconds(repeats, [&] {
        std::vector<std::string_view> pieces;
        const std::string_view text(lines);
        std::size_t begin = 0;
        for (std::size_t at; (at = text.find("\r\n", begin)) != std::string_view::npos;
             begin = at + 2)
            pieces.push_back(text.substr(begin, at - begin));
        if (begin < text.size()) pieces.push_back(text.substr(begin));
        sink = sink + pieces.size();
    });
    Report("SplitText, 1M lines at CR LF", lines.size(), splitOurs, splitViews, "find + views");

    // ReplaceText of every CR LF by LF, against the same loop copying into a string.
    const double replaceOurs = BestSeconds(
        repeats, [&] { sink = sink + qingqu::ReplaceText(lines, "\r\n", "\n", false).size(); });
    const double replaceCopy = BestSeconds(repeats, [&] {
        std::string result;
        result.reserve(lines.size());
        const std::string_view text(lines);
        std::size_t begin = 0;
        for (std::size_t at; (at = text.find("\r\n", begin)) != std::string_view::npos;
             begin = at + 2)
            result.append(text.substr(begin, at - begin)).append("\n");
        result.append(text.substr(begin));
        sink = sink + result.size();
    });
    Report("ReplaceText, CR LF -> LF", lines.size(), replaceOurs, replaceCopy, "find + append");
    std::printf("(best of %d rounds; page %zu bytes, lines %zu bytes)\n", repeats, page.size(),
                lines.size());
    return 0;
}
