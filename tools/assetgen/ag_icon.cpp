// The program icon, painted analytically in unit coordinates (0..1 across the
// icon) so every size shows the same picture.
// Depends on ag_image.
#include "tools/assetgen/ag_icon.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr float kCorner = 0.18f;     // rounded-corner radius
constexpr float kRing = 0.26f;       // crosshair ring radius
constexpr float kRingHalf = 0.035f;  // half its stroke
constexpr float kTickFrom = 0.12f;   // ticks run along the axes between these radii
constexpr float kTickTo = 0.42f;
constexpr float kTickHalf = 0.03f;
constexpr float kDot = 0.07f;       // centre dot radius
constexpr float kOutline = 0.025f;  // dark edge around the white strokes

bool inside_rounded_square(float u, float v) {
    const float dx = std::max({kCorner - u, u - (1.0f - kCorner), 0.0f});
    const float dy = std::max({kCorner - v, v - (1.0f - kCorner), 0.0f});
    return u >= 0 && u <= 1 && v >= 0 && v <= 1 && dx * dx + dy * dy <= kCorner * kCorner;
}

// Distance outside the crosshair's white strokes (<= 0 inside).
float stroke_distance(float u, float v) {
    const float x = u - 0.5f, y = v - 0.5f;
    const float r = std::sqrt(x * x + y * y);
    const float ring = std::fabs(r - kRing) - kRingHalf;
    const float ax = std::fabs(x), ay = std::fabs(y);
    // The ticks: bars along the x and the y axis, on both sides of the centre.
    const float along_x =
        std::max({std::fabs(ax - (kTickFrom + kTickTo) / 2) - (kTickTo - kTickFrom) / 2, ay - kTickHalf});
    const float along_y =
        std::max({std::fabs(ay - (kTickFrom + kTickTo) / 2) - (kTickTo - kTickFrom) / 2, ax - kTickHalf});
    return std::min({ring, along_x, along_y});
}

ag_rgb_t background_at(const ag_image_t& bg, float u, float v) {
    // The centred square of the background, whatever its aspect.
    const int side = std::min(bg.width, bg.height);
    const int x0 = (bg.width - side) / 2, y0 = (bg.height - side) / 2;
    const int x = x0 + std::clamp(static_cast<int>(u * side), 0, side - 1);
    const int y = y0 + std::clamp(static_cast<int>(v * side), 0, side - 1);
    return ag_image_get(bg, x, y);
}

}  // namespace

ag_image_t ag_icon(const ag_image_t& background, int size) {
    ag_image_t img = ag_image_make(size, size, 4);
    const ag_rgb_t white = ag_rgb(0.96f, 0.96f, 0.92f);
    const ag_rgb_t edge = ag_rgb(0.08f, 0.08f, 0.1f);
    const ag_rgb_t red = ag_hsv(0.0f, 0.85f, 0.9f);
    constexpr int kSub = 4;
    for (int py = 0; py < size; py++) {
        for (int px = 0; px < size; px++) {
            float r = 0, g = 0, b = 0, covered = 0;
            for (int sy = 0; sy < kSub; sy++) {
                for (int sx = 0; sx < kSub; sx++) {
                    const float u = (px + (sx + 0.5f) / kSub) / size;
                    const float v = (py + (sy + 0.5f) / kSub) / size;
                    if (!inside_rounded_square(u, v)) continue;
                    const float du = u - 0.5f, dv = v - 0.5f;
                    const float d = stroke_distance(u, v);
                    ag_rgb_t c;
                    if (du * du + dv * dv <= kDot * kDot)
                        c = red;
                    else if (d <= 0)
                        c = white;
                    else if (d <= kOutline)
                        c = edge;
                    else
                        c = background_at(background, u, v);
                    r += c.r, g += c.g, b += c.b, covered += 1;
                }
            }
            if (covered == 0) continue;  // ag_image_make leaves it transparent black
            ag_image_set(&img, px, py, ag_rgb(r / covered, g / covered, b / covered),
                         covered / (kSub * kSub));
        }
    }
    return img;
}
