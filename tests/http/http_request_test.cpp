#include "http/http_request.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/http/recording_request_win.h"

namespace qingqu {
namespace {

using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::ElementsAreArray;
using ::testing::StartsWith;

constexpr char kUserAgent[] = "Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)";
constexpr char kContentType[] = "application/x-www-form-urlencoded";

std::string Header(const std::string& name, const std::string& value) {
    return "call SetRequestHeader('" + name + "', '" + value + "')";
}

// The calls from SetRequestHeader on, without the reads after the wait.
std::vector<std::string> HeaderCalls(const std::vector<std::string>& calls) {
    std::vector<std::string> headers;
    for (const std::string& call : calls)
        if (call.rfind("call SetRequestHeader(", 0) == 0) headers.push_back(call);
    return headers;
}

std::vector<std::string> CallsTo(const std::vector<std::string>& calls, const std::string& member) {
    std::vector<std::string> matching;
    for (const std::string& call : calls)
        if (call.find(" " + member + "(") != std::string::npos) matching.push_back(call);
    return matching;
}

class HttpRequestCallsTest : public ::testing::Test {
protected:
    Bytes Run() {
        options.RequestObject = &object;
        return HttpRequest(options);
    }

    RecordingRequest object;
    HttpRequestOptions options;
};

TEST_F(HttpRequestCallsTest, OnlyUrlMakesTheDefaultRequest) {
    options.Url = "http://h/p";
    object.headers = L"HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n";
    const Bytes body = Run();

    EXPECT_THAT(object.Calls(),
                ElementsAre("call SetTimeouts(15000, 15000, 15000, 15000)",
                            "call Open('GET', 'http://h/p', true)", Header("Accept", "*/*"),
                            Header("Referer", "http://h/p"), Header("Accept-Language", "zh-cn"),
                            Header("User-Agent", kUserAgent), Header("Content-Type", kContentType),
                            "call Send('')", "call WaitForResponse(1)", "get ResponseBody()",
                            "call GetAllResponseHeaders()", "get Status()"));
    EXPECT_THAT(object.LookedUpNames(), Contains(L"GetallResponseHeaders"));
    EXPECT_EQ(body, (Bytes{'b', 'o', 'd', 'y'}));
    EXPECT_EQ(options.ExtraHeaders, std::string("Accept: */*\r\nReferer: http://h/p\r\n") +
                                        "Accept-Language: zh-cn\r\nUser-Agent: " + kUserAgent +
                                        "\r\nContent-Type: " + kContentType);
    EXPECT_EQ(options.StatusCode, 200);  // 200.9 truncated
    EXPECT_EQ(options.ResponseHeaders, "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\n");
    EXPECT_EQ(options.ReturnedCookies, "");
    EXPECT_EQ(options.Cookies, "");
    EXPECT_EQ(object.References(), 1u);  // the routine gave its reference back
}

TEST_F(HttpRequestCallsTest, MethodOutOfRangeSendsGet) {
    const std::pair<int, const char*> cases[] = {
        {0, "GET"}, {1, "POST"}, {2, "HEAD"}, {3, "GET"}, {-1, "GET"}};
    for (const auto& [method, text] : cases) {
        RecordingRequest request;
        HttpRequestOptions o;
        o.Url = "u";
        o.Method = method;
        o.RequestObject = &request;
        HttpRequest(o);
        EXPECT_THAT(CallsTo(request.Calls(), "Open"),
                    ElementsAre(std::string("call Open('") + text + "', 'u', true)"))
            << method;
    }
}

TEST_F(HttpRequestCallsTest, TimeoutSecondsSetsTheFourTimeouts) {
    const std::pair<int, std::vector<std::string>> cases[] = {
        {-1, {}},
        {0, {"call SetTimeouts(15000, 15000, 15000, 15000)"}},
        {-2, {"call SetTimeouts(15000, 15000, 15000, 15000)"}},
        {30, {"call SetTimeouts(30000, 30000, 30000, 30000)"}},
    };
    for (const auto& [seconds, expected] : cases) {
        RecordingRequest request;
        HttpRequestOptions o;
        o.TimeoutSeconds = seconds;
        o.RequestObject = &request;
        HttpRequest(o);
        EXPECT_THAT(CallsTo(request.Calls(), "SetTimeouts"), ElementsAreArray(expected)) << seconds;
    }
}

TEST_F(HttpRequestCallsTest, HeaderTextsBecomeSetRequestHeaderCalls) {
    struct Case {
        const char* cookies;
        const char* headers;
        std::vector<std::string> calls;
    };
    const std::string ua = Header("User-Agent", kUserAgent);
    const std::string ct = Header("Content-Type", kContentType);
    const std::string language = Header("Accept-Language", "zh-cn");
    const std::string referer = Header("Referer", "u");
    const Case cases[] = {
        {"",
         "accept: text/html",
         {Header("accept", "text/html"), Header("Accept", "*/*"), referer, language, ua, ct}},
        {"", "X-Referer: a", {Header("X-Referer", "a"), Header("Accept", "*/*"), language, ua, ct}},
        {"", "X: 1\r\n", {Header("X", "1"), Header("Accept", "*/*"), referer, language, ua, ct}},
        {"",
         "A: Accept: Referer: Accept-Language: User-Agent: Content-Type: z",
         {Header("A", "Accept: Referer: Accept-Language: User-Agent: Content-Type: z")}},
        {"",
         "Host: a:b\r\nabc",
         {Header("Host", "a:b"), Header("", ""), Header("Accept", "*/*"), referer, language, ua,
          ct}},
        {"a=1",
         "Cookie: b=2",
         {Header("Cookie", "a=1"), Header("Cookie", "b=2"), Header("Accept", "*/*"), referer,
          language, ua, ct}},
    };
    for (const Case& c : cases) {
        RecordingRequest request;
        HttpRequestOptions o;
        o.Url = "u";
        o.Cookies = c.cookies;
        o.ExtraHeaders = c.headers;
        o.RequestObject = &request;
        HttpRequest(o);
        EXPECT_THAT(HeaderCalls(request.Calls()), ElementsAreArray(c.calls)) << c.headers;
    }
}

TEST_F(HttpRequestCallsTest, PostBytesWinOverPostText) {
    options.PostText = "x";
    options.PostBytes = {0x01};
    Run();
    EXPECT_THAT(CallsTo(object.Calls(), "Send"), ElementsAre("call Send(bytes[01])"));
}

TEST_F(HttpRequestCallsTest, PostTextIsSentWhenThereAreNoBytes) {
    options.Method = 1;
    options.PostText = "q=\xC7\xE0";  // "青"
    Run();
    EXPECT_THAT(CallsTo(object.Calls(), "Send"), ElementsAre("call Send('q=\xC7\xE0')"));
}

TEST_F(HttpRequestCallsTest, ProxyComesBeforeOpenWithItsCredentials) {
    options.Url = "u";
    options.TimeoutSeconds = -1;
    options.ProxyServer = "127.0.0.1:8080";
    options.ProxyUser = "user";
    options.ProxyPassword = "secret";
    Run();
    EXPECT_THAT(
        std::vector<std::string>(object.Calls().begin(), object.Calls().begin() + 3),
        ElementsAre("call SetProxy(2, '127.0.0.1:8080')",
                    "call SetCredentials('user', 'secret', 1)", "call Open('GET', 'u', true)"));
}

TEST_F(HttpRequestCallsTest, CredentialsFlagGivenIsPassed) {
    options.ProxyServer = "p";
    options.ProxyUser = "user";
    options.CredentialsFlag = 0;
    Run();
    EXPECT_THAT(CallsTo(object.Calls(), "SetCredentials"),
                ElementsAre("call SetCredentials('user', '', 0)"));
}

TEST_F(HttpRequestCallsTest, ProxyUserWithoutProxyServerDoesNothing) {
    options.ProxyUser = "user";
    options.ProxyPassword = "secret";
    Run();
    EXPECT_THAT(CallsTo(object.Calls(), "SetProxy"), ElementsAre());
    EXPECT_THAT(CallsTo(object.Calls(), "SetCredentials"), ElementsAre());
}

TEST_F(HttpRequestCallsTest, NoRedirectWritesOptionSixAfterOpen) {
    options.Url = "u";
    options.TimeoutSeconds = -1;
    options.NoRedirect = true;
    Run();
    EXPECT_THAT(
        std::vector<std::string>(object.Calls().begin(), object.Calls().begin() + 3),
        ElementsAre("call Open('GET', 'u', true)", "put Option(6, 0)", Header("Accept", "*/*")));
}

TEST_F(HttpRequestCallsTest, OnlyTheRedirectOptionIsEverWritten) {
    Run();
    EXPECT_THAT(CallsTo(object.Calls(), "Option"), ElementsAre());
}

TEST_F(HttpRequestCallsTest, SetCookieLinesAreRewrittenCollectedAndMerged) {
    object.headers =
        L"HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nset-cookie: b=2\r\n"
        L"SET-COOKIE2: c=3; x\r\n\r\n";
    options.Cookies = "b=0; z = 9";
    Run();
    EXPECT_THAT(CallsTo(object.Calls(), "SetRequestHeader").front(),
                Header("Cookie", "b=0; z = 9"));
    EXPECT_EQ(options.ResponseHeaders,
              "HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/\r\nSet-Cookie: b=2\r\n"
              "Set-Cookie2: c=3; x\r\n\r\n");
    // "a=1; b=2; " before the merge took its blanks out.
    EXPECT_EQ(options.ReturnedCookies, "a=1;b=2;");
    EXPECT_EQ(options.Cookies, "a=1; b=2; z=9");
}

TEST_F(HttpRequestCallsTest, HeaderTextIsConvertedFromCodePage936) {
    object.headers = L"HTTP/1.1 200 OK\r\nSet-Cookie: n=\u9752\r\n\r\n";  // 青
    Run();
    EXPECT_EQ(options.ReturnedCookies, "n=\xC7\xE0");
}

TEST_F(HttpRequestCallsTest, ObjectHoldingNothingStillCompletesTheOutputs) {
    options.RequestObject = static_cast<IDispatch*>(nullptr);
    options.Url = "u";
    options.Cookies = "a = 1";
    options.ResponseHeaders = "stale";
    options.ReturnedCookies = "stale=1";
    options.StatusCode = 7;
    const Bytes body = HttpRequest(options);
    EXPECT_TRUE(body.empty());
    EXPECT_THAT(options.ExtraHeaders, StartsWith("Accept: */*\r\nReferer: u\r\n"));
    EXPECT_EQ(options.StatusCode, 0);
    EXPECT_EQ(options.ResponseHeaders, "");
    EXPECT_EQ(options.ReturnedCookies, "");
    EXPECT_EQ(options.Cookies, "a=1");
}

TEST_F(HttpRequestCallsTest, FailedWaitStillReadsWhatThereIs) {
    object.waitForResponse = [](VARIANT_BOOL*) { return DISP_E_EXCEPTION; };
    Run();
    const std::vector<std::string>& calls = object.Calls();
    EXPECT_THAT(std::vector<std::string>(calls.end() - 4, calls.end()),
                ElementsAre("call WaitForResponse(1)", "get ResponseBody()",
                            "call GetAllResponseHeaders()", "get Status()"));
}

TEST_F(HttpRequestCallsTest, FailedSendIsNotAwaited) {
    object.sendResult = DISP_E_EXCEPTION;
    object.waitForResponse = [](VARIANT_BOOL* answered) {
        *answered = VARIANT_FALSE;
        return S_OK;
    };
    Run();
    const std::vector<std::string>& calls = object.Calls();
    EXPECT_THAT(std::vector<std::string>(calls.end() - 4, calls.end()),
                ElementsAre("call Send('')", "get ResponseBody()", "call GetAllResponseHeaders()",
                            "get Status()"));
}

TEST_F(HttpRequestCallsTest, StopFlagAbortsAndReadsNothing) {
    std::atomic<bool> stop{false};
    int waits = 0;
    object.waitForResponse = [&](VARIANT_BOOL* answered) {
        *answered = VARIANT_FALSE;
        if (++waits == 3) stop = true;
        return S_OK;
    };
    options.StopFlag = &stop;
    options.TimeoutSeconds = -1;  // only the flag ends the wait
    options.Cookies = "a=1";
    const Bytes body = Run();
    const std::vector<std::string>& calls = object.Calls();
    EXPECT_THAT(std::vector<std::string>(calls.end() - 4, calls.end()),
                ElementsAre("call WaitForResponse(1)", "call WaitForResponse(1)",
                            "call WaitForResponse(1)", "call Abort()"));
    EXPECT_TRUE(body.empty());
    EXPECT_EQ(options.StatusCode, 0);
    EXPECT_EQ(options.ResponseHeaders, "");
    EXPECT_EQ(options.Cookies, "a=1");
}

TEST_F(HttpRequestCallsTest, StopFlagAlreadySetSendsButDoesNotWait) {
    std::atomic<bool> stop{true};
    options.StopFlag = &stop;
    Run();
    EXPECT_EQ(object.Calls().back(), "call Abort()");
    EXPECT_THAT(CallsTo(object.Calls(), "WaitForResponse"), ElementsAre());
}

TEST_F(HttpRequestCallsTest, TimeOutAbortsAfterTheGivenSeconds) {
    object.waitForResponse = [](VARIANT_BOOL* answered) {
        Sleep(100);  // a short stand-in for the one-second slice
        *answered = VARIANT_FALSE;
        return S_OK;
    };
    options.TimeoutSeconds = 1;
    const auto start = std::chrono::steady_clock::now();
    const Bytes body = Run();
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(1000));
    EXPECT_LT(elapsed, std::chrono::milliseconds(3000));
    EXPECT_EQ(object.Calls().back(), "call Abort()");
    EXPECT_TRUE(body.empty());
    EXPECT_EQ(options.StatusCode, 0);
}

}  // namespace
}  // namespace qingqu
