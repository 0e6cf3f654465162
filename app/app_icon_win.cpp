#include "app/app_icon_win.h"

#include <cstring>

#include "app/app_icon.h"

namespace qingqu {

ScopedIcon CreateAppIcon(int size) {
    const std::vector<std::uint32_t> pixels = DrawAppIcon(size);
    if (pixels.empty()) return {};

    BITMAPV5HEADER header{};
    header.bV5Size = sizeof header;
    header.bV5Width = size;
    header.bV5Height = -size;  // rows from the top
    header.bV5Planes = 1;
    header.bV5BitCount = 32;
    header.bV5Compression = BI_BITFIELDS;
    header.bV5RedMask = 0x00FF0000;
    header.bV5GreenMask = 0x0000FF00;
    header.bV5BlueMask = 0x000000FF;
    header.bV5AlphaMask = 0xFF000000;

    void* bits = nullptr;
    ScopedBitmap colour(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&header),
                                         DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!colour.IsValid() || !bits) return {};
    std::memcpy(bits, pixels.data(), pixels.size() * sizeof pixels[0]);
    GdiFlush();

    // With an alpha channel the mask is not used for drawing, but an icon needs one.
    ScopedBitmap mask(CreateBitmap(size, size, 1, 1, nullptr));
    ICONINFO info{TRUE, 0, 0, mask.Get(), colour.Get()};
    return ScopedIcon(CreateIconIndirect(&info));
}

}  // namespace qingqu
