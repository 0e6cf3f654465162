// The test side of tests/support/search_engine_stand_in.py: where the running
// stand-in listens, what it has logged, and releasing the replies it holds.
// The stand-in's state folder comes from the environment variable
// QINGQU_SEARCH_STAND_IN_DIR (a Unix path, read through Wine's Z: drive).
//
//   SearchEngineStandIn engine;
//   ASSERT_TRUE(engine.IsRunning()) << engine.Problem();
//   options.environment.push_back(engine.ProxyEnvironment());  // http_proxy=...
//   const size_t mark = engine.LogMark();
//   ... the program searches ...
//   for (const StandInRequest& r : engine.RequestsSince(mark)) ...
//
// Which reply a request gets depends on words in the searched address (the
// stand-in's usage text lists them): "not-found-url", "no-results",
// "robot-check", "robot-redirect", "status-500", "slow-reply", "zero-byte",
// "empty-200", "hold-NAME"; anything else gets a results page.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qingqu::e2e {

struct StandInRequest {
    int sequence = 0;
    std::string target;  // path and query as sent, e.g. "/baidu?word=a&ie=utf-8"
    std::string kind;    // the reply it gets: "results", "not-found-url", "captcha"...
};

// One logged event: its kind ("connect", "request", "reply", "tunnel"), its
// sequence number, the fields after it and when it happened.
struct StandInEvent {
    std::string kind;
    int sequence = 0;
    std::vector<std::string> fields;
    double seconds = 0;  // on the stand-in's monotonic clock
};

class SearchEngineStandIn {
public:
    SearchEngineStandIn();

    bool IsRunning() const { return proxyPort_ != 0; }
    // Why IsRunning() is false.
    const std::string& Problem() const { return problem_; }

    // "http_proxy=127.0.0.1:<port>": in a program's environment, it sends that
    // program's web requests through the stand-in.
    std::wstring ProxyEnvironment() const;

    // The log's length now; events logged later are "since" this mark.
    std::size_t LogMark() const;
    std::vector<StandInEvent> EventsSince(std::size_t mark) const;
    std::vector<StandInRequest> RequestsSince(std::size_t mark) const;
    // The outcome of that request's reply ("200", "302", "gone", ...) once sent.
    std::optional<std::string> ReplyOutcome(std::size_t mark, int sequence) const;

    // Lets go of the replies held by the word "hold-NAME".
    bool Release(std::string_view name) const;

private:
    std::filesystem::path folder_;
    int proxyPort_ = 0;
    std::string problem_;
};

}  // namespace qingqu::e2e
