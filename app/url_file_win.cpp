#include "app/url_file_win.h"

#include <cstring>
#include <string>

#include "app/url_file.h"
#include "check/code_page.h"
#include "text/wide_win.h"

namespace qingqu {

Text UrlFileText(const Bytes& file) {
    const std::string_view bytes(reinterpret_cast<const char*>(file.data()), file.size());
    const UrlFileContent content = ClassifyUrlFile(bytes);
    switch (content.encoding) {
        case UrlFileEncoding::Utf8: return Utf8ToGbk(content.bytes);
        case UrlFileEncoding::Utf16Le: {
            std::wstring units(content.bytes.size() / 2, L'\0');
            std::memcpy(units.data(), content.bytes.data(), units.size() * sizeof(wchar_t));
            return WideToText(units);
        }
        case UrlFileEncoding::CodePage936: break;
    }
    return Text(content.bytes);
}

}  // namespace qingqu
