#pragma once

#include "text/scoped_win.h"

namespace qingqu {

// The program's icon as a 32-bit icon with alpha, size x size pixels.
ScopedIcon CreateAppIcon(int size);

}  // namespace qingqu
