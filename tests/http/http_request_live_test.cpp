// HttpRequest with the real WinHttpRequest object against tests/support/local_server.py,
// which the local_server CTest fixture starts; the prefix trusts its test authority.
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <map>
#include <string>
#include <thread>

#include "http/http_request.h"

namespace qingqu {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;
using Clock = std::chrono::steady_clock;

// Ports by listener name, read from the server's ports file through the Z: drive.
std::map<std::string, int> ReadPorts() {
    std::map<std::string, int> ports;
    const char* directory = std::getenv("QINGQU_TEST_SERVER_DIR");
    if (directory == nullptr) return ports;
    std::ifstream file(std::string("Z:") + directory + "/ports");
    std::string name;
    int port = 0;
    while (file >> name >> port) ports[name] = port;
    return ports;
}

std::string AsString(const Bytes& bytes) {
    return std::string(bytes.begin(), bytes.end());
}

class HttpRequestLiveTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // Requests go straight to 127.0.0.1: Wine's WinHTTP would take a proxy from
        // http_proxy (any letter case), and knows no no_proxy.
        SetEnvironmentVariableW(L"http_proxy", nullptr);
        ports_ = ReadPorts();
    }

    void SetUp() override {
        if (ports_.count("http") == 0 || ports_.count("https") == 0)
            GTEST_FAIL() << "no local server: run through CTest (fixture local_server)";
    }

    static std::string Url(const std::string& listener, const std::string& path) {
        const std::string scheme = listener == "http" ? "http" : "https";
        return scheme + "://127.0.0.1:" + std::to_string(ports_[listener]) + path;
    }

    static inline std::map<std::string, int> ports_;
};

TEST_F(HttpRequestLiveTest, GetSendsTheDefaultHeaders) {
    HttpRequestOptions request;
    request.Url = Url("http", "/echo?q=1");
    const std::string body = AsString(HttpRequest(request));
    EXPECT_EQ(request.StatusCode, 200);
    EXPECT_THAT(body, StartsWith("GET\n/echo?q=1\n"));
    EXPECT_THAT(body, HasSubstr("\nAccept: */*\n"));
    EXPECT_THAT(body, HasSubstr("\nReferer: " + request.Url + "\n"));
    EXPECT_THAT(body, HasSubstr("\nAccept-Language: zh-cn\n"));
    EXPECT_THAT(body,
                HasSubstr("\nUser-Agent: Mozilla/4.0 (compatible; MSIE 9.0; Windows NT 6.1)\n"));
    EXPECT_THAT(body, HasSubstr("\nContent-Type: application/x-www-form-urlencoded\n"));
    EXPECT_THAT(request.ResponseHeaders, StartsWith("HTTP/1.1 200"));
    EXPECT_THAT(request.ResponseHeaders, HasSubstr("Content-Type: text/plain\r\n"));
}

TEST_F(HttpRequestLiveTest, PostsTextAndCookies) {
    HttpRequestOptions request;
    request.Url = Url("http", "/echo");
    request.Method = 1;
    request.PostText = "a=1&b=two";
    request.Cookies = "k=v; n=m";
    request.ExtraHeaders = "X-Test: yes";
    const std::string body = AsString(HttpRequest(request));
    EXPECT_THAT(body, StartsWith("POST\n/echo\n"));
    EXPECT_THAT(body, HasSubstr("\nCookie: k=v; n=m\n"));
    EXPECT_THAT(body, HasSubstr("\nX-Test: yes\n"));
    EXPECT_THAT(body, EndsWith("\n\na=1&b=two"));
    EXPECT_EQ(request.Cookies, "k=v; n=m");
}

TEST_F(HttpRequestLiveTest, PostsBytesWithZerosUnchanged) {
    HttpRequestOptions request;
    request.Url = Url("http", "/echo");
    request.Method = 1;
    request.PostText = "not sent";
    request.PostBytes = {0x00, 0xFF, 0x80, 'x', 0x00};
    const Bytes body = HttpRequest(request);
    ASSERT_GE(body.size(), 5u);
    EXPECT_EQ(Bytes(body.end() - 5, body.end()), request.PostBytes);
    EXPECT_THAT(AsString(body), HasSubstr("\nContent-Length: 5\n"));
}

TEST_F(HttpRequestLiveTest, HeadGivesHeadersWithoutBody) {
    HttpRequestOptions request;
    request.Url = Url("http", "/echo");
    request.Method = 2;
    EXPECT_TRUE(HttpRequest(request).empty());
    EXPECT_EQ(request.StatusCode, 200);
    EXPECT_THAT(request.ResponseHeaders, HasSubstr("Content-Length: "));
}

TEST_F(HttpRequestLiveTest, ErrorStatusBodiesComeBackLikeAnyOther) {
    for (const int status : {404, 500}) {
        HttpRequestOptions request;
        request.Url = Url("http", "/status/" + std::to_string(status));
        EXPECT_EQ(AsString(HttpRequest(request)), "status " + std::to_string(status) + " body");
        EXPECT_EQ(request.StatusCode, status);
    }
}

TEST_F(HttpRequestLiveTest, SetCookieInAnyLetterCaseIsCollectedAndMerged) {
    HttpRequestOptions request;
    request.Url = Url("http", "/cookies");
    request.Cookies = "b=0; c=3";
    EXPECT_EQ(AsString(HttpRequest(request)), "cookies body");
    EXPECT_THAT(request.ResponseHeaders, HasSubstr("\r\nSet-Cookie: a=1; path=/\r\n"));
    EXPECT_THAT(request.ResponseHeaders, HasSubstr("\r\nSet-Cookie: b=2\r\n"));
    EXPECT_THAT(request.ResponseHeaders, Not(HasSubstr("set-cookie")));
    EXPECT_EQ(request.ReturnedCookies, "a=1;b=2");
    EXPECT_EQ(request.Cookies, "a=1; b=2; c=3");
}

TEST_F(HttpRequestLiveTest, RedirectIsFollowedUnlessNoRedirect) {
    HttpRequestOptions followed;
    followed.Url = Url("http", "/redirect");
    EXPECT_THAT(AsString(HttpRequest(followed)), StartsWith("GET\n/echo?redirected\n"));
    EXPECT_EQ(followed.StatusCode, 200);

    HttpRequestOptions stopped;
    stopped.Url = Url("http", "/redirect");
    stopped.NoRedirect = true;
    EXPECT_EQ(AsString(HttpRequest(stopped)), "redirect body");
    EXPECT_EQ(stopped.StatusCode, 302);
    EXPECT_THAT(stopped.ResponseHeaders, HasSubstr("Location: /echo?redirected"));
}

TEST_F(HttpRequestLiveTest, SlowReplyWithinTheTimeOutIsAwaited) {
    HttpRequestOptions request;
    request.Url = Url("http", "/slow?seconds=1.5");
    request.TimeoutSeconds = 5;
    EXPECT_EQ(AsString(HttpRequest(request)), "slow body");
    EXPECT_EQ(request.StatusCode, 200);
}

TEST_F(HttpRequestLiveTest, TimeOutGivesUpAndFails) {
    HttpRequestOptions request;
    request.Url = Url("http", "/never");
    request.TimeoutSeconds = 1;
    const Clock::time_point start = Clock::now();
    EXPECT_TRUE(HttpRequest(request).empty());
    const auto elapsed = Clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(900));
    EXPECT_LT(elapsed, std::chrono::milliseconds(4000));  // allows for a loaded machine
    EXPECT_EQ(request.StatusCode, 0);
    EXPECT_EQ(request.ResponseHeaders, "");
}

TEST_F(HttpRequestLiveTest, StopFlagEndsTheWait) {
    std::atomic<bool> stop{false};
    HttpRequestOptions request;
    request.Url = Url("http", "/never");
    request.StopFlag = &stop;
    std::thread stopper([&stop] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        stop = true;
    });
    const Clock::time_point start = Clock::now();
    EXPECT_TRUE(HttpRequest(request).empty());
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(4000));  // not the 15 s time-out
    EXPECT_EQ(request.StatusCode, 0);
    stopper.join();
}

TEST_F(HttpRequestLiveTest, RefusedConnectionOrBadAddressFailsAtOnce) {
    for (const char* url : {"http://127.0.0.1:1/", "not an address", "ftp://127.0.0.1/x"}) {
        HttpRequestOptions request;
        request.Url = url;
        request.Cookies = "a = 1";
        const Clock::time_point start = Clock::now();
        EXPECT_TRUE(HttpRequest(request).empty()) << url;
        EXPECT_LT(Clock::now() - start, std::chrono::seconds(4)) << url;  // not the time-out
        EXPECT_EQ(request.StatusCode, 0) << url;
        EXPECT_EQ(request.ResponseHeaders, "") << url;
        EXPECT_EQ(request.Cookies, "a=1") << url;
    }
}

// Wine hands out the bytes that came before the connection closed; whatever the
// object does, the routine must come back promptly with nothing made up.
TEST_F(HttpRequestLiveTest, ServerClosingMidBodyEndsTheRequest) {
    HttpRequestOptions request;
    request.Url = Url("http", "/close-mid-body");
    request.TimeoutSeconds = 5;
    const Clock::time_point start = Clock::now();
    const std::string body = AsString(HttpRequest(request));
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(4));
    EXPECT_TRUE(std::string("0123456789").starts_with(body)) << body;
    if (body.empty()) {
        EXPECT_EQ(request.StatusCode, 0);
    }
}

TEST_F(HttpRequestLiveTest, CertificateOfTheTrustedTestAuthorityIsAccepted) {
    for (const std::string host : {"127.0.0.1", "localhost"}) {
        HttpRequestOptions request;
        request.Url = "https://" + host + ":" + std::to_string(ports_["https"]) + "/echo";
        EXPECT_THAT(AsString(HttpRequest(request)), StartsWith("GET\n/echo\n")) << host;
        EXPECT_EQ(request.StatusCode, 200) << host;
    }
}

TEST_F(HttpRequestLiveTest, UntrustedCertificateFailsTheRequest) {
    HttpRequestOptions request;
    request.Url = Url("https_untrusted", "/echo");
    EXPECT_TRUE(HttpRequest(request).empty());
    EXPECT_EQ(request.StatusCode, 0);
    EXPECT_EQ(request.ResponseHeaders, "");
}

}  // namespace
}  // namespace qingqu
