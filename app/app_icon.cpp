#include "app/app_icon.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace qingqu {

namespace {

struct Colour {
    double r, g, b;
};

constexpr Colour kLeaf{0x2E, 0x8B, 0x57};
constexpr Colour kLeafVein{0x7C, 0xC5, 0x8E};
constexpr Colour kPetal{0xF0, 0x7A, 0xA0};
constexpr Colour kPetalEdge{0xC8, 0x3E, 0x6E};
constexpr Colour kHeart{0xF7, 0xD0, 0x4A};

// Everything is drawn in a unit square, (0, 0) at the top left.
bool InEllipse(double x, double y, double cx, double cy, double rx, double ry, double angle) {
    const double dx = x - cx, dy = y - cy;
    const double c = std::cos(angle), s = std::sin(angle);
    const double u = (dx * c + dy * s) / rx, v = (-dx * s + dy * c) / ry;
    return u * u + v * v <= 1.0;
}

bool InLeaf(double x, double y) {
    if (!InEllipse(x, y, 0.5, 0.62, 0.47, 0.33, 0)) return false;
    // The notch of a lotus leaf: a narrow wedge from the centre down to the rim.
    const double angle = std::atan2(0.62 - y, x - 0.5);
    return std::abs(angle + 1.2) > 0.18;
}

bool InVein(double x, double y) {
    const double dx = x - 0.5, dy = y - 0.62;
    const double r = std::hypot(dx, dy);
    if (r > 0.42 || r < 0.03) return false;
    const double angle = std::atan2(dy, dx);
    const double spoke = std::fmod(angle + 2 * std::numbers::pi, std::numbers::pi / 4);
    return std::min(spoke, std::numbers::pi / 4 - spoke) * r < 0.008;
}

// A flower of five petals seen from the side, rising out of the leaf.
int PetalAt(double x, double y) {
    static constexpr double kAngles[] = {-0.95, -0.48, 0.0, 0.48, 0.95};
    // The middle petal is drawn last, so it lies in front.
    static constexpr int kOrder[] = {2, 1, 3, 0, 4};
    for (int i : kOrder) {
        const double a = kAngles[i];
        const double cx = 0.5 + std::sin(a) * 0.17, cy = 0.44 - std::cos(a) * 0.17;
        if (InEllipse(x, y, cx, cy, 0.1, 0.22, a)) return i;
    }
    return -1;
}

Colour ColourAt(double x, double y, double& alpha) {
    alpha = 1.0;
    if (PetalAt(x, y) >= 0) {
        const double shade = std::clamp((0.62 - y) / 0.5, 0.0, 1.0);
        return {kPetalEdge.r + (kPetal.r - kPetalEdge.r) * shade,
                kPetalEdge.g + (kPetal.g - kPetalEdge.g) * shade,
                kPetalEdge.b + (kPetal.b - kPetalEdge.b) * shade};
    }
    if (InEllipse(x, y, 0.5, 0.6, 0.07, 0.04, 0)) return kHeart;
    if (InLeaf(x, y)) return InVein(x, y) ? kLeafVein : kLeaf;
    alpha = 0.0;
    return {0, 0, 0};
}

}  // namespace

std::vector<std::uint32_t> DrawAppIcon(int size) {
    if (size <= 0) return {};
    constexpr int kSamples = 4;  // per axis, for smooth edges
    std::vector<std::uint32_t> pixels(static_cast<std::size_t>(size) * size);
    for (int py = 0; py < size; ++py) {
        for (int px = 0; px < size; ++px) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    const double x = (px + (sx + 0.5) / kSamples) / size;
                    const double y = (py + (sy + 0.5) / kSamples) / size;
                    double alpha;
                    const Colour c = ColourAt(x, y, alpha);
                    r += c.r * alpha, g += c.g * alpha, b += c.b * alpha, a += alpha;
                }
            }
            const double n = kSamples * kSamples;
            const auto channel = [&](double sum) {
                return static_cast<std::uint32_t>(a > 0 ? std::lround(sum / a) : 0);
            };
            const auto alpha = static_cast<std::uint32_t>(std::lround(a / n * 255));
            pixels[static_cast<std::size_t>(py) * size + px] =
                alpha << 24 | channel(r) << 16 | channel(g) << 8 | channel(b);
        }
    }
    return pixels;
}

}  // namespace qingqu
