#pragma once

#include <atomic>
#include <string_view>

#include "check/query_run.h"

namespace qingqu {

// The search engine's page for `url` (a code page 936 text), sent as its UTF-8
// percent-encoding. The request gives up soon after `stop` becomes true.
SearchReply SearchForUrl(std::string_view url, const std::atomic<bool>* stop);

}  // namespace qingqu
