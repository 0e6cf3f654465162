#include "check/search_win.h"

#include "check/code_page.h"
#include "http/http_request.h"

namespace qingqu {

SearchReply SearchForUrl(std::string_view url, const std::atomic<bool>* stop) {
    HttpRequestOptions request;
    request.Url = SearchAddressForUtf8Word(GbkToUtf8(url));
    request.StopFlag = stop;
    const Bytes body = HttpRequest(request);
    // A page cut short may lack the marker it would have held: no verdict from it.
    if (IsCutShort(request.ResponseHeaders, body.size())) return {};
    return {request.StatusCode, Utf8ToGbk(BytesToText(body))};
}

}  // namespace qingqu
