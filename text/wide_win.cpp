#include "text/wide_win.h"

#include <windows.h>

#include <climits>

namespace qingqu {

namespace {
constexpr UINT kCodePage936 = 936;
}

std::wstring TextToWide(std::string_view text) {
    if (text.empty() || text.size() > INT_MAX) return {};
    const int length = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(kCodePage936, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0) MultiByteToWideChar(kCodePage936, 0, text.data(), length, wide.data(), units);
    return wide;
}

Text WideToText(std::wstring_view wide) {
    if (wide.empty() || wide.size() > INT_MAX) return {};
    const int units = static_cast<int>(wide.size());
    const int bytes =
        WideCharToMultiByte(kCodePage936, 0, wide.data(), units, nullptr, 0, nullptr, nullptr);
    Text text(static_cast<std::size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(kCodePage936, 0, wide.data(), units, text.data(), bytes, nullptr,
                            nullptr);
    return text;
}

}  // namespace qingqu
