// GUI atlas painter: shapes are signed-distance functions in cell units,
// supersampled 4 x 4 per texel and composited with straight alpha. Every cell
// keeps a transparent margin so mipmaps don't bleed into the neighbours.
// Depends on ag_image, ag_params, ag_font.
#include "tools/assetgen/ag_gui_atlas.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <functional>
#include <vector>

#include "tools/assetgen/ag_font.h"

namespace {

struct rgba_t {
    float r, g, b, a;
};

// A shape: signed distance in cell units (negative inside).
using sdf_t = std::function<float(float x, float y)>;

float sd_box(float x, float y, float cx, float cy, float hw, float hh, float radius) {
    const float qx = std::fabs(x - cx) - hw + radius, qy = std::fabs(y - cy) - hh + radius;
    const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - radius;
}

float sd_circle(float x, float y, float cx, float cy, float r) {
    return std::sqrt((x - cx) * (x - cx) + (y - cy) * (y - cy)) - r;
}

float sd_segment(float x, float y, float ax, float ay, float bx, float by, float r) {
    const float px = x - ax, py = y - ay, dx = bx - ax, dy = by - ay;
    const float h = std::clamp((px * dx + py * dy) / (dx * dx + dy * dy), 0.0f, 1.0f);
    const float ex = px - dx * h, ey = py - dy * h;
    return std::sqrt(ex * ex + ey * ey) - r;
}

struct canvas_t {
    ag_image_t* img;
    int x0, y0, w, h;  // the cell in texels
};

// Composites `color` over the cell wherever `shape` is inside (anti-aliased).
void draw(canvas_t c, const sdf_t& shape, rgba_t color) {
    for (int y = 0; y < c.h; y++) {
        for (int x = 0; x < c.w; x++) {
            int inside = 0;
            for (int sy = 0; sy < 4; sy++)
                for (int sx = 0; sx < 4; sx++)
                    if (shape((x + (sx + 0.5f) / 4) / c.w, (y + (sy + 0.5f) / 4) / c.h) < 0) inside++;
            if (!inside) continue;
            const float a = color.a * inside / 16.0f;
            uint8_t* p = &c.img->pixels[(static_cast<size_t>(c.y0 + y) * c.img->width + c.x0 + x) * 4];
            const float da = p[3] / 255.0f;
            const float out_a = a + da * (1 - a);
            const float src[3] = {color.r, color.g, color.b};
            for (int k = 0; k < 3; k++) {
                const float d = p[k] / 255.0f;
                const float v = out_a > 0 ? (src[k] * a + d * da * (1 - a)) / out_a : 0;
                p[k] = static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255));
            }
            p[3] = static_cast<uint8_t>(std::lround(out_a * 255));
        }
    }
}

// A cell from texture units.
canvas_t cell(ag_image_t* img, float u0, float v0, float u1, float v1) {
    const int n = img->width;
    return {img, static_cast<int>(u0 * n), static_cast<int>(v0 * n), static_cast<int>((u1 - u0) * n),
            static_cast<int>((v1 - v0) * n)};
}

sdf_t outline(sdf_t s, float width) {
    return [s, width](float x, float y) { return std::fabs(s(x, y)) - width; };
}
sdf_t grow(sdf_t s, float by) {
    return [s, by](float x, float y) { return s(x, y) - by; };
}

struct rounded_box_t {
    float cx, cy, hw, hh, radius;
};

// A weapon silhouette in a 2:1 cell (x 0..1, y 0..1, the muzzle to the right): rounded
// boxes and the stock, a thick segment {ax, ay, bx, by, radius}.
sdf_t gun_shape(std::vector<rounded_box_t> boxes, std::array<float, 5> stock) {
    return [boxes, stock](float x, float y) {
        float d = sd_segment(x, y, stock[0], stock[1], stock[2], stock[3], stock[4]);
        for (const rounded_box_t& b : boxes) d = std::min(d, sd_box(x, y, b.cx, b.cy, b.hw, b.hh, b.radius));
        return d;
    };
}
sdf_t machine_gun_shape() {
    return gun_shape({{0.55f, 0.38f, 0.3f, 0.09f, 0.02f},    // receiver
                      {0.9f, 0.36f, 0.08f, 0.035f, 0.01f},   // barrel
                      {0.6f, 0.28f, 0.18f, 0.03f, 0.01f},    // sight rail
                      {0.5f, 0.62f, 0.05f, 0.17f, 0.02f},    // magazine
                      {0.33f, 0.55f, 0.04f, 0.12f, 0.02f}},  // grip
                     {0.1f, 0.5f, 0.28f, 0.38f, 0.07f});
}
sdf_t spread_gun_shape() {
    return gun_shape({{0.62f, 0.35f, 0.3f, 0.06f, 0.02f},    // barrels
                      {0.62f, 0.47f, 0.25f, 0.05f, 0.02f},   // second barrel
                      {0.66f, 0.56f, 0.1f, 0.06f, 0.03f},    // pump
                      {0.33f, 0.43f, 0.08f, 0.11f, 0.03f}},  // receiver
                     {0.08f, 0.62f, 0.27f, 0.45f, 0.08f});
}
sdf_t figure_shape() {
    return [](float x, float y) {
        return std::min(sd_circle(x, y, 0.5f, 0.3f, 0.15f), sd_box(x, y, 0.5f, 0.72f, 0.24f, 0.2f, 0.12f));
    };
}

}  // namespace

ag_image_t ag_gui_atlas(const ag_params_t& p, const char* font_path) {
    ag_image_t img = ag_image_make(AG_GUI_SIZE, AG_GUI_SIZE, 4);
    const rgba_t accent = {ag_param(p, "gui.accent_r"), ag_param(p, "gui.accent_g"),
                           ag_param(p, "gui.accent_b"), 1};
    const rgba_t box = {0.92f, 0.93f, 0.95f, 1}, dark = {0.08f, 0.09f, 0.12f, 1};
    const rgba_t hover = {1.0f, 0.85f, 0.35f, 1};

    // Checkboxes and slider knobs: column 0 hovered, column 1 normal.
    for (int col = 0; col < 2; col++) {
        const float u0 = col * 0.125f;
        const rgba_t rim = col == 0 ? hover : accent;
        for (int checked = 0; checked < 2; checked++) {
            const canvas_t c = cell(&img, u0, checked * 0.125f, u0 + 0.125f, (checked + 1) * 0.125f);
            const sdf_t sq = [](float x, float y) { return sd_box(x, y, 0.5f, 0.5f, 0.36f, 0.36f, 0.08f); };
            draw(c, grow(sq, 0.03f), dark);
            draw(c, sq, box);
            draw(c, outline(sq, 0.035f), rim);
            if (checked) {
                draw(
                    c,
                    [](float x, float y) {
                        return std::min(sd_segment(x, y, 0.3f, 0.5f, 0.45f, 0.66f, 0.07f),
                                        sd_segment(x, y, 0.45f, 0.66f, 0.72f, 0.32f, 0.07f));
                    },
                    accent);
            }
        }
        const canvas_t k = cell(&img, u0, 0.25f, u0 + 0.125f, 0.375f);
        const sdf_t knob = [](float x, float y) { return sd_circle(x, y, 0.5f, 0.5f, 0.36f); };
        draw(k, grow(knob, 0.03f), dark);
        draw(k, knob, box);
        draw(
            k, [](float x, float y) { return sd_circle(x, y, 0.5f, 0.5f, 0.16f); }, rim);
    }

    // Crosshairs: white strokes with a dark rim, readable on sky and on walls.
    const sdf_t ring = [](float x, float y) {
        const float d = std::fabs(sd_circle(x, y, 0.5f, 0.5f, 0.3f)) - 0.025f;
        const float gap = std::min(std::fabs(x - 0.5f), std::fabs(y - 0.5f)) - 0.06f;
        return std::max(d, -gap);
    };
    const sdf_t cross = [](float x, float y) {
        float d = sd_circle(x, y, 0.5f, 0.5f, 0.03f);
        d = std::min(d, sd_segment(x, y, 0.5f, 0.12f, 0.5f, 0.38f, 0.025f));
        d = std::min(d, sd_segment(x, y, 0.5f, 0.62f, 0.5f, 0.88f, 0.025f));
        d = std::min(d, sd_segment(x, y, 0.12f, 0.5f, 0.38f, 0.5f, 0.025f));
        d = std::min(d, sd_segment(x, y, 0.62f, 0.5f, 0.88f, 0.5f, 0.025f));
        return d;
    };
    const rgba_t ink = {1, 1, 1, 0.95f}, rim = {0, 0, 0, 0.6f};
    draw(cell(&img, 0, 0.375f, 0.125f, 0.5f), grow(ring, 0.02f), rim);
    draw(cell(&img, 0, 0.375f, 0.125f, 0.5f), ring, ink);
    draw(cell(&img, 0.125f, 0.375f, 0.25f, 0.5f), grow(cross, 0.02f), rim);
    draw(cell(&img, 0.125f, 0.375f, 0.25f, 0.5f), cross, ink);

    // Ammo tick: the HUD samples one texel at (0.125, 0.689453); a solid block
    // around it keeps linear filtering and mipmaps on the same colour.
    {
        const int cx = static_cast<int>(0.125f * AG_GUI_SIZE), cy = static_cast<int>(0.689453f * AG_GUI_SIZE);
        ag_image_fill(&img, cx - 8, cy - 8, cx + 8, cy + 8, ag_rgb(1.0f, 0.85f, 0.35f), 1.0f);
    }

    // Weapon icons: bright row (the weapon in hand), dim row (the other one).
    const sdf_t guns[2] = {machine_gun_shape(), spread_gun_shape()};
    for (int g = 0; g < 2; g++) {
        const float u0 = g * 0.25f;
        draw(cell(&img, u0, 0.875f, u0 + 0.25f, 1.0f), grow(guns[g], 0.025f), {0, 0, 0, 0.7f});
        draw(cell(&img, u0, 0.875f, u0 + 0.25f, 1.0f), guns[g], {1.0f, 0.9f, 0.6f, 1});
        draw(cell(&img, u0, 0.75f, u0 + 0.25f, 0.875f), grow(guns[g], 0.025f), {0, 0, 0, 0.4f});
        draw(cell(&img, u0, 0.75f, u0 + 0.25f, 0.875f), guns[g], {0.6f, 0.62f, 0.66f, 0.75f});
    }

    // Health: two full-height columns (healthy, low) under a frame with a clear middle.
    for (int k = 0; k < 2; k++) {
        const canvas_t c = cell(&img, 0.5f + k * 0.125f, 0.875f, 0.625f + k * 0.125f, 1.0f);
        const rgba_t top = k == 0 ? rgba_t{0.35f, 1.0f, 0.45f, 0.9f} : rgba_t{1.0f, 0.3f, 0.2f, 0.9f};
        // Two clear rows on top: a full bar never reaches them (hp tops out at 0.95).
        for (int y = 2; y < c.h; y++) {
            const float shade = 1.0f - 0.45f * y / c.h;
            ag_image_fill(&img, c.x0 + 6, c.y0 + y, c.x0 + c.w - 6, c.y0 + y + 1,
                          ag_rgb(top.r * shade, top.g * shade, top.b * shade), top.a);
        }
    }
    const sdf_t frame = [](float x, float y) {
        return std::fabs(sd_box(x, y, 0.5f, 0.5f, 0.42f, 0.42f, 0.06f)) - 0.04f;
    };
    draw(cell(&img, 0.5f, 0.75f, 0.625f, 0.875f), grow(frame, 0.025f), {0, 0, 0, 0.6f});
    draw(cell(&img, 0.5f, 0.75f, 0.625f, 0.875f), frame, {0.9f, 0.92f, 0.95f, 1});

    // Lives (own colour) and opponents left (red).
    draw(cell(&img, 0.625f, 0.75f, 0.75f, 0.875f), grow(figure_shape(), 0.05f), {0, 0, 0, 0.7f});
    draw(cell(&img, 0.625f, 0.75f, 0.75f, 0.875f), figure_shape(), {0.5f, 0.9f, 1.0f, 1});
    draw(cell(&img, 0.75f, 0.75f, 0.875f, 0.875f), grow(figure_shape(), 0.05f), {0, 0, 0, 0.7f});
    draw(cell(&img, 0.75f, 0.75f, 0.875f, 0.875f), figure_shape(), {1.0f, 0.3f, 0.25f, 1});

    // Segment marks: on (accent), off (dim); stretched over a segment, so plain bars.
    const sdf_t bar = [](float x, float y) { return sd_box(x, y, 0.5f, 0.5f, 0.44f, 0.3f, 0.1f); };
    draw(cell(&img, 0.75f, 0.875f, 0.875f, 1.0f), bar, accent);
    draw(cell(&img, 0.875f, 0.875f, 1.0f, 1.0f), bar, {0.45f, 0.47f, 0.52f, 0.7f});

    // Title lettering for the menus' image items.
    ag_image_t title = ag_font_render_line(font_path, "IRONVALE", 40);
    if (title.width > 0) {
        const canvas_t c = cell(&img, 0.5f, 0.0f, 1.0f, 0.125f);
        const int ox = c.x0 + (c.w - title.width) / 2, oy = c.y0 + (c.h - title.height) / 2;
        for (int y = 0; y < title.height; y++) {
            for (int x = 0; x < title.width; x++) {
                const int tx = ox + x, ty = oy + y;
                if (tx < c.x0 || ty < c.y0 || tx >= c.x0 + c.w || ty >= c.y0 + c.h) continue;
                const float a = title.pixels[(static_cast<size_t>(y) * title.width + x) * 4 + 3] / 255.0f;
                if (a <= 0) continue;
                const ag_rgb_t col = ag_rgb_mix(ag_rgb(1.0f, 0.95f, 0.8f), ag_rgb(0.9f, 0.6f, 0.25f),
                                                static_cast<float>(y) / title.height);
                ag_image_set(&img, tx, ty, col, a);
            }
        }
    }
    return img;
}
