#include "app/app_icon.h"

#include <gtest/gtest.h>

namespace qingqu {
namespace {

std::uint32_t Alpha(std::uint32_t pixel) {
    return pixel >> 24;
}

TEST(AppIconTest, CornersAreTransparentAndTheFlowerIsOpaque) {
    constexpr int kSize = 64;
    const std::vector<std::uint32_t> pixels = DrawAppIcon(kSize);
    ASSERT_EQ(pixels.size(), static_cast<std::size_t>(kSize * kSize));
    for (int corner : {0, kSize - 1, kSize * (kSize - 1), kSize * kSize - 1})
        EXPECT_EQ(pixels[corner], 0u) << corner;
    const std::uint32_t flower = pixels[22 * kSize + kSize / 2];
    EXPECT_EQ(Alpha(flower), 255u);
    EXPECT_GT((flower >> 16) & 0xFF, (flower >> 8) & 0xFF) << "the flower is pink, not green";
    const std::uint32_t leaf = pixels[50 * kSize + 16];
    EXPECT_EQ(Alpha(leaf), 255u);
    EXPECT_GT((leaf >> 8) & 0xFF, (leaf >> 16) & 0xFF) << "the leaf is green";
}

TEST(AppIconTest, EdgesAreSmoothed) {
    const std::vector<std::uint32_t> pixels = DrawAppIcon(64);
    int partlyCovered = 0;
    for (std::uint32_t pixel : pixels) partlyCovered += Alpha(pixel) > 0 && Alpha(pixel) < 255;
    EXPECT_GT(partlyCovered, 50);
}

TEST(AppIconTest, NoSizeGivesNoPixels) {
    EXPECT_TRUE(DrawAppIcon(0).empty());
}

}  // namespace
}  // namespace qingqu
