#include "tests/e2e/search_engine_stand_in_win.h"

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <sstream>

#include "tests/e2e/app_driver_win.h"
#include "text/scoped_win.h"

namespace qingqu::e2e {
namespace {

constexpr wchar_t kFolderVariable[] = L"QINGQU_SEARCH_STAND_IN_DIR";

std::wstring EnvironmentValue(const wchar_t* name) {
    const DWORD size = GetEnvironmentVariableW(name, nullptr, 0);
    if (size == 0) return {};
    std::wstring value(size, L'\0');
    value.resize(GetEnvironmentVariableW(name, value.data(), size));
    return value;
}

// A Unix path as this Wine process sees it; a Windows path stays as it is.
std::filesystem::path FromUnixPath(std::wstring path) {
    if (!path.empty() && path.front() == L'/') path.insert(0, L"Z:");
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        fields.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) return fields;
        start = tab + 1;
    }
}

}  // namespace

SearchEngineStandIn::SearchEngineStandIn() {
    const std::wstring folder = EnvironmentValue(kFolderVariable);
    if (folder.empty()) {
        problem_ =
            "QINGQU_SEARCH_STAND_IN_DIR is not set: run these tests through CTest, "
            "which starts the search engine stand-in";
        return;
    }
    folder_ = FromUnixPath(folder);
    const std::optional<std::string> ports = ReadFileBytes(folder_ / L"ports");
    if (!ports) {
        problem_ = "no ports file in " + folder_.string() + ": the stand-in is not running";
        return;
    }
    std::istringstream lines(*ports);
    std::string name;
    int port = 0;
    while (lines >> name >> port)
        if (name == "proxy") proxyPort_ = port;
    if (proxyPort_ == 0) problem_ = "the ports file names no proxy";
}

std::wstring SearchEngineStandIn::ProxyEnvironment() const {
    return L"http_proxy=127.0.0.1:" + std::to_wstring(proxyPort_);
}

std::size_t SearchEngineStandIn::LogMark() const {
    const std::optional<std::string> log = ReadFileBytes(folder_ / L"requests.log");
    if (!log) return 0;
    // Only whole lines count: a line being written belongs to what comes after.
    const std::size_t lastEnd = log->rfind('\n');
    return lastEnd == std::string::npos ? 0 : lastEnd + 1;
}

std::vector<StandInEvent> SearchEngineStandIn::EventsSince(std::size_t mark) const {
    std::vector<StandInEvent> events;
    const std::optional<std::string> log = ReadFileBytes(folder_ / L"requests.log");
    if (!log || log->size() < mark) return events;
    std::size_t start = mark;
    for (std::size_t end; (end = log->find('\n', start)) != std::string::npos; start = end + 1) {
        std::vector<std::string> fields = SplitFields(log->substr(start, end - start));
        if (fields.size() < 3) continue;
        StandInEvent& event = events.emplace_back();
        event.kind = fields[0];
        event.sequence = std::atoi(fields[1].c_str());
        event.fields.assign(fields.begin() + 2, fields.end() - 1);
        event.seconds = std::atof(fields.back().c_str());
    }
    return events;
}

std::vector<StandInRequest> SearchEngineStandIn::RequestsSince(std::size_t mark) const {
    std::vector<StandInRequest> requests;
    for (const StandInEvent& event : EventsSince(mark)) {
        if (event.kind == "request" && event.fields.size() >= 2)
            requests.push_back({event.sequence, event.fields[0], event.fields[1]});
    }
    return requests;
}

std::optional<std::string> SearchEngineStandIn::ReplyOutcome(std::size_t mark, int sequence) const {
    for (const StandInEvent& event : EventsSince(mark)) {
        if (event.kind == "reply" && event.sequence == sequence && !event.fields.empty())
            return event.fields[0];
    }
    return std::nullopt;
}

bool SearchEngineStandIn::Release(std::string_view name) const {
    const std::filesystem::path file =
        folder_ / (L"release-" + std::wstring(name.begin(), name.end()));
    const ScopedHandle handle(CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    return handle.IsValid();
}

}  // namespace qingqu::e2e
