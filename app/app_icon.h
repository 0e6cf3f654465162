// The program's icon, drawn in code: a pink lotus flower over a green lotus
// leaf, on a transparent background, at any square size.
#pragma once

#include <cstdint>
#include <vector>

namespace qingqu {

// size * size pixels, rows from the top, each 0xAARRGGBB with straight
// (not premultiplied) alpha, as a 32-bit icon bitmap holds them.
std::vector<std::uint32_t> DrawAppIcon(int size);

}  // namespace qingqu
