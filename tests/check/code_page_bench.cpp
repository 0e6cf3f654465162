// Prints how fast Utf8ToGbk converts a large Chinese page, beside a plain
// MultiByteToWideChar + WideCharToMultiByte round over the same bytes.
//
//   wine code_page_bench.exe [megabytes, default 1] [rounds, default 50]
#include <windows.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "check/code_page.h"

namespace {

using Clock = std::chrono::steady_clock;

// A page of mixed markup and Chinese text in UTF-8, about `bytes` long.
std::string MakePage(std::size_t bytes) {
    const std::string line =
        "<div class=\"result\"><h3>\xE9\x9D\x92\xE8\x95\x96 \xE7\xBD\x91\xE7\xAB\x99\xE6\x94"
        "\xB6\xE5\xBD\x95\xE6\x9F\xA5\xE8\xAF\xA2</h3><p>\xE6\x8A\xB1\xE6\xAD\x89\xEF\xBC\x8C"
        "\xE6\xB2\xA1\xE6\x9C\x89\xE6\x89\xBE\xE5\x88\xB0\xE4\xB8\x8E\xE6\x82\xA8\xE6\x9F\xA5"
        "\xE8\xAF\xA2\xE7\x9B\xB8\xE5\x85\xB3\xE7\x9A\x84\xE7\xBD\x91\xE9\xA1\xB5\xE3\x80\x82"
        "</p></div>\n";
    std::string page;
    page.reserve(bytes + line.size());
    while (page.size() < bytes) page += line;
    return page;
}

// The same two conversions with nothing around them: a size query and a
// conversion each way.
std::string PlainRound(const std::string& page) {
    const int length = static_cast<int>(page.size());
    const int units = MultiByteToWideChar(CP_UTF8, 0, page.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, page.data(), length, wide.data(), units);
    const int bytes = WideCharToMultiByte(936, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(936, 0, wide.data(), units, out.data(), bytes, nullptr, nullptr);
    return out;
}

template <class Convert>
double MegabytesPerSecond(const std::string& page, int rounds, Convert convert,
                          std::size_t& checksum) {
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < rounds; ++i) checksum += convert(page).size();
    const std::chrono::duration<double> seconds = Clock::now() - start;
    return double(page.size()) * rounds / (1024.0 * 1024.0) / seconds.count();
}

}  // namespace

int main(int argc, char** argv) {
    const double megabytes = argc > 1 ? std::atof(argv[1]) : 1.0;
    const int rounds = argc > 2 ? std::atoi(argv[2]) : 50;
    const std::string page = MakePage(static_cast<std::size_t>(megabytes * 1024 * 1024));
    if (qingqu::Utf8ToGbk(page) != PlainRound(page)) {
        std::printf("the two conversions disagree\n");
        return 1;
    }
    std::size_t checksum = 0;
    // Alternate the two, twice, so neither gains from running first.
    double ours = 0, plain = 0;
    for (int pass = 0; pass < 2; ++pass) {
        ours += MegabytesPerSecond(
            page, rounds, [](const std::string& p) { return qingqu::Utf8ToGbk(p); }, checksum);
        plain += MegabytesPerSecond(page, rounds, PlainRound, checksum);
    }
    ours /= 2;
    plain /= 2;
    std::printf("page %.2f MB, %d rounds x 2\n", double(page.size()) / (1024.0 * 1024.0), rounds);
    std::printf("Utf8ToGbk                                 %8.1f MB/s\n", ours);
    std::printf("MultiByteToWideChar + WideCharToMultiByte %8.1f MB/s\n", plain);
    std::printf("plain / Utf8ToGbk                         %8.2f x   (checksum %zu)\n",
                plain / ours, checksum);
    return 0;
}
