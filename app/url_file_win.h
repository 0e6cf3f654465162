#pragma once

#include "text/text.h"

namespace qingqu {

// The text of a URL list file in code page 936, decoded as ClassifyUrlFile tells.
Text UrlFileText(const Bytes& file);

}  // namespace qingqu
