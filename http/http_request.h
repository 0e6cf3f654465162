// One HTTP or HTTPS request through the system's WinHttpRequest object, run wholly
// on the calling thread, which needs no COM set-up of its own.
//
//   HttpRequestOptions request;
//   request.Url = "https://example.com/";
//   Bytes body = HttpRequest(request);   // empty when the request failed
//   int status = request.StatusCode;
//
// Every failure shows only in the results: empty Bytes, StatusCode 0, empty
// ResponseHeaders and ReturnedCookies. Nothing is thrown.
#pragma once

#include <atomic>
#include <optional>

#include "text/text.h"

struct IDispatch;

namespace qingqu {

struct HttpRequestOptions {
    Text Url;
    int Method = 0;  // 0 "GET", 1 "POST", 2 "HEAD"; anything else counts as 0
    Text PostText;
    Text Cookies;          // in and out: sent as the Cookie header, then merged
    Text ReturnedCookies;  // out: the cookies the reply set, without blanks
    Text ExtraHeaders;     // in and out: completed with the default header lines
    Text ResponseHeaders;  // out: with every Set-Cookie spelt "Set-Cookie"
    int StatusCode = 0;    // out: 0 when no reply was read
    bool NoRedirect = false;
    Bytes PostBytes;  // sent instead of PostText when it holds a byte
    Text ProxyServer;
    int TimeoutSeconds = 0;  // -1 keeps the object's own; 0 or below gives 15 s
    Text ProxyUser;
    Text ProxyPassword;
    std::optional<int> CredentialsFlag;  // 1 (for the proxy) when omitted
    // A request object of the caller's own, used as it is; a null pointer given
    // here is an object on which every call fails. Omitted: a new WinHttpRequest.
    std::optional<IDispatch*> RequestObject;
    // When set and it turns true, the wait for the reply ends within a second (the
    // object waits in whole seconds) and the request fails like one that ran out
    // of time.
    const std::atomic<bool>* StopFlag = nullptr;
};

Bytes HttpRequest(HttpRequestOptions& options);

}  // namespace qingqu
