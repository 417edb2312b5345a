// Procedural textures. Tileable images use value noise whose lattice wraps with
// the image, so the ground and grass repeat without seams; the sky faces are
// painted from one function of direction, so neighbouring faces agree on their
// shared edges. Depends on ag_image, ag_noise, ag_params, ag_atlas.
#include "tools/assetgen/ag_textures.h"

#include <cmath>
#include <vector>

#include "tools/assetgen/ag_atlas.h"
#include "tools/assetgen/ag_noise.h"

const char* const ag_sky_face_names[AG_SKY_FACES] = {"bk", "fr", "lt", "rt", "up"};

static constexpr float kPi = 3.14159265358979f;

// ---- ground and grass ----

// An n x n image of paint(u, v), u and v running 0 .. (n - 1) / n across it.
template <typename F>
static ag_image_t paint_square(int n, F paint) {
    ag_image_t img = ag_image_make(n, n, 3);
    for (int y = 0; y < n; y++)
        for (int x = 0; x < n; x++)
            ag_image_set(&img, x, y, paint(static_cast<float>(x) / n, static_cast<float>(y) / n));
    return img;
}

ag_image_t ag_tex_ground(const ag_params_t& p) {
    const int n = static_cast<int>(ag_param(p, "ground.size"));
    const int cells = static_cast<int>(ag_param(p, "ground.noise_cells"));
    const ag_rgb_t dirt =
        ag_hsv(ag_param(p, "ground.hue"), ag_param(p, "ground.saturation"), ag_param(p, "ground.value"));
    const ag_rgb_t moss = ag_hsv(ag_param(p, "ground.moss_hue"), 0.45f, ag_param(p, "ground.value") * 0.9f);
    const float moss_amount = ag_param(p, "ground.moss_amount");
    const float pebbles = ag_param(p, "ground.pebble_cells");
    return paint_square(n, [&](float u, float v) {
        const float broad = ag_fbm2(u * cells, v * cells, cells, 5, 0.5f, 11);
        const float fine = ag_fbm2(u * cells * 8, v * cells * 8, cells * 8, 2, 0.5f, 12);
        const float patch = ag_smoothstep(1.0f - moss_amount - 0.08f, 1.0f - moss_amount + 0.08f,
                                          ag_fbm2(u * cells, v * cells, cells, 4, 0.55f, 13));
        ag_rgb_t c = ag_rgb_mix(dirt, moss, patch);
        const float stone = ag_cells2(u * pebbles, v * pebbles, static_cast<int>(pebbles), 14);
        const float pebble = 1.0f - ag_smoothstep(0.18f, 0.3f, stone);
        c = ag_rgb_mix(c, ag_rgb(0.55f, 0.53f, 0.5f), pebble * 0.5f * (1.0f - patch));
        return ag_rgb_scale(c, 0.75f + 0.5f * broad + 0.25f * (fine - 0.5f));
    });
}

ag_image_t ag_tex_grass(const ag_params_t& p) {
    const int n = static_cast<int>(ag_param(p, "grass.size"));
    const int cells = static_cast<int>(ag_param(p, "grass.noise_cells"));
    const float hue = ag_param(p, "grass.hue");
    const float sat = ag_param(p, "grass.saturation");
    const float val = ag_param(p, "grass.value");
    const float rock = ag_param(p, "grass.rock_amount");
    return paint_square(n, [&](float u, float v) {
        const float broad = ag_fbm2(u * cells, v * cells, cells, 5, 0.55f, 21);
        // Blades: noise stretched along v reads as short strokes.
        const float blades = ag_noise2xy(u * cells * 48, v * cells * 12, cells * 48, cells * 12, 22);
        const float h = hue + 0.05f * (broad - 0.5f);
        ag_rgb_t c = ag_hsv(h, sat * (0.8f + 0.4f * broad), val * (0.7f + 0.5f * blades));
        const float r = ag_smoothstep(1.0f - rock, 1.0f - rock + 0.06f,
                                      ag_fbm2(u * cells, v * cells, cells, 4, 0.6f, 23));
        const ag_rgb_t stone =
            ag_rgb_scale(ag_rgb(0.47f, 0.45f, 0.42f),
                         0.8f + 0.4f * ag_fbm2(u * cells * 6, v * cells * 6, cells * 6, 3, 0.5f, 24));
        return ag_rgb_mix(c, stone, r);
    });
}

// ---- crystal: the level atlas ----

struct region_px_t {
    int x0, y0, x1, y1;
};

static region_px_t region_px(const ag_region_t& r, int n) {
    return {static_cast<int>(r.u0 * n), static_cast<int>(r.v0 * n), static_cast<int>(r.u1 * n),
            static_cast<int>(r.v1 * n)};
}

// Runs `paint(s, t)` over a region, s and t in 0..1 across it.
template <typename F>
static void paint_region(ag_image_t* img, const ag_region_t& r, F paint) {
    const region_px_t px = region_px(r, img->width);
    const float w = static_cast<float>(px.x1 - px.x0), h = static_cast<float>(px.y1 - px.y0);
    for (int y = px.y0; y < px.y1; y++)
        for (int x = px.x0; x < px.x1; x++)
            ag_image_set(img, x, y, paint((x - px.x0 + 0.5f) / w, (y - px.y0 + 0.5f) / h));
}

// Distance (in region units) to the nearest line of a grid with `count` cells.
static float grid_dist(float s, int count) {
    const float f = s * count - std::floor(s * count);
    return std::min(f, 1.0f - f) / count;
}

ag_image_t ag_tex_crystal(const ag_params_t& p) {
    const int n = AG_CRYSTAL_SIZE;
    ag_image_t img = ag_image_make(n, n, 3);
    const ag_rgb_t floor_c = ag_hsv(ag_param(p, "crystal.floor_hue"), ag_param(p, "crystal.floor_saturation"),
                                    ag_param(p, "crystal.floor_value"));
    const ag_rgb_t wall_c = ag_hsv(ag_param(p, "crystal.wall_hue"), ag_param(p, "crystal.wall_saturation"),
                                   ag_param(p, "crystal.wall_value"));
    const ag_rgb_t low_c = ag_hsv(ag_param(p, "crystal.low_hue"), ag_param(p, "crystal.low_saturation"),
                                  ag_param(p, "crystal.low_value"));
    const ag_rgb_t field_c = ag_hsv(ag_param(p, "crystal.field_hue"), ag_param(p, "crystal.field_saturation"),
                                    ag_param(p, "crystal.field_value"));
    const ag_rgb_t warn_c = ag_hsv(ag_param(p, "crystal.warning_hue"), 0.85f, 0.9f);
    const int floor_tiles = static_cast<int>(ag_param(p, "crystal.floor_tiles"));
    const int wall_rows = static_cast<int>(ag_param(p, "crystal.wall_brick_rows"));
    const ag_rgb_t grout = ag_rgb(0.18f, 0.18f, 0.2f);

    // Floor: square slabs with dark joints, each slab its own shade, faint facets.
    paint_region(&img, AG_CRYSTAL_FLOOR, [&](float s, float t) {
        const int tx = static_cast<int>(s * floor_tiles), ty = static_cast<int>(t * floor_tiles);
        const float shade = 0.9f + 0.2f * ag_hash2(tx, ty, 31);
        const float grain = ag_fbm2(s * 16, t * 16, 16, 4, 0.5f, 32);
        const float facet = ag_cells2(s * 6, t * 6, 6, 33);
        ag_rgb_t c = ag_rgb_scale(floor_c, shade * (0.85f + 0.25f * grain) * (0.95f + 0.1f * facet));
        const float joint = ag_smoothstep(0.004f, 0.012f, grid_dist(s, floor_tiles)) *
                            ag_smoothstep(0.004f, 0.012f, grid_dist(t, floor_tiles));
        return ag_rgb_mix(grout, c, joint);
    });
    // Tall walls: courses of large blocks, a darker plinth at the bottom (t = 1).
    paint_region(&img, AG_CRYSTAL_WALL, [&](float s, float t) {
        const int row = static_cast<int>(t * wall_rows);
        const float offset = (row % 2) ? 0.25f : 0.0f;
        const int col = static_cast<int>((s + offset) * 2);
        const float shade = 0.88f + 0.24f * ag_hash2(col, row, 41);
        const float grain = ag_fbm2(s * 12, t * 12, 12, 4, 0.55f, 42);
        ag_rgb_t c = ag_rgb_scale(wall_c, shade * (0.8f + 0.35f * grain));
        const float joint = ag_smoothstep(0.004f, 0.014f, grid_dist(t, wall_rows)) *
                            ag_smoothstep(0.004f, 0.014f, grid_dist(s + offset, 2));
        c = ag_rgb_mix(grout, c, joint);
        if (t > 0.88f) c = ag_rgb_scale(c, 0.6f);
        return c;
    });
    // Low walls: painted metal with a warning band along the top (t = 0).
    paint_region(&img, AG_CRYSTAL_LOW, [&](float s, float t) {
        const float grain = ag_fbm2xy(s * 16, t * 8, 16, 8, 3, 0.5f, 51);
        ag_rgb_t c = ag_rgb_scale(low_c, 0.85f + 0.3f * grain);
        const float rivet = grid_dist(s, 8) * 8 < 0.08f && std::fabs(t - 0.6f) < 0.03f ? 0.7f : 1.0f;
        c = ag_rgb_scale(c, rivet);
        if (t < 0.25f) {
            const bool dark = static_cast<int>(std::floor((s * 2 + t) * 8)) % 2;
            c = dark ? ag_rgb(0.1f, 0.1f, 0.1f) : warn_c;
        }
        if (std::fabs(t - 0.25f) < 0.015f || t > 0.97f) c = ag_rgb_scale(c, 0.5f);
        return c;
    });
    // No-walk field: a glowing liquid under a grating.
    paint_region(&img, AG_CRYSTAL_HAZARD, [&](float s, float t) {
        const float swirl =
            ag_fbm2xy(s * 8 + 3 * ag_noise2xy(s * 4, t * 2, 4, 2, 61), t * 4, 8, 4, 4, 0.55f, 62);
        ag_rgb_t c = ag_rgb_scale(field_c, 0.55f + 0.9f * swirl);
        const float bars = std::min(grid_dist(s, 16), grid_dist(t, 8) * 0.5f);
        if (bars < 0.006f) c = ag_rgb(0.12f, 0.13f, 0.15f);
        return c;
    });
    // Plain light crystal, for models that are tinted by the draw call.
    paint_region(&img, AG_CRYSTAL_PLAIN, [&](float s, float t) {
        const float facet = ag_cells2(s * 5, t * 5, 5, 71);
        return ag_rgb_scale(ag_rgb(0.93f, 0.95f, 1.0f), 0.82f + 0.18f * facet);
    });
    paint_region(&img, AG_CRYSTAL_RED, [&](float s, float t) {
        // A light bevel on every edge: the cross is drawn unlit, so its faces need outlines.
        const float g = ag_fbm2(s * 6, t * 6, 6, 3, 0.5f, 81);
        const float edge = std::min(std::min(s, 1 - s), std::min(t, 1 - t));
        const ag_rgb_t red = ag_rgb_scale(ag_rgb(0.85f, 0.07f, 0.06f), 0.85f + 0.3f * g);
        return ag_rgb_mix(ag_rgb(1.0f, 0.75f, 0.72f), red, ag_smoothstep(0.06f, 0.12f, edge));
    });
    // Wall caps: brushed metal plates.
    paint_region(&img, AG_CRYSTAL_CAP, [&](float s, float t) {
        const float brush = ag_noise2xy(s * 4, t * 96, 4, 96, 91);
        ag_rgb_t c = ag_rgb_scale(ag_rgb(0.52f, 0.54f, 0.58f), 0.8f + 0.3f * brush);
        if (grid_dist(s, 4) < 0.004f || grid_dist(t, 1) < 0.01f) c = ag_rgb_scale(c, 0.55f);
        return c;
    });
    // Warning edge: diagonal stripes, the floor's edge along a no-walk field.
    paint_region(&img, AG_CRYSTAL_STRIPE, [&](float s, float t) {
        const bool dark = static_cast<int>(std::floor((s * 2 + t * 0.25f) * 16)) % 2;
        ag_rgb_t c = dark ? ag_rgb(0.12f, 0.12f, 0.12f) : warn_c;
        return ag_rgb_scale(c, 0.85f + 0.15f * ag_noise2xy(s * 32, t * 8, 32, 8, 95));
    });
    return img;
}

// ---- t2: the player suit ----

ag_image_t ag_tex_suit(const ag_params_t& p) {
    const int n = 256;
    ag_image_t img = ag_image_make(n, n, 3);
    const ag_rgb_t suit =
        ag_hsv(ag_param(p, "suit.hue"), ag_param(p, "suit.saturation"), ag_param(p, "suit.value"));
    paint_region(&img, AG_T2_SUIT, [&](float s, float t) {
        const float g = ag_fbm2xy(s * 8, t * 16, 8, 16, 4, 0.5f, 101);
        ag_rgb_t c = ag_rgb_scale(suit, 0.8f + 0.35f * g);
        if (grid_dist(t, 8) < 0.006f || grid_dist(s, 2) < 0.008f) c = ag_rgb_scale(c, 0.55f);
        return c;
    });
    paint_region(&img, AG_T2_HELMET, [&](float s, float t) {
        const float g = ag_fbm2(s * 8, t * 8, 8, 3, 0.5f, 102);
        ag_rgb_t c = ag_rgb_scale(ag_rgb(0.78f, 0.8f, 0.82f), 0.85f + 0.2f * g);
        // A glowing visor band across the middle.
        if (t > 0.38f && t < 0.6f)
            c = ag_rgb_mix(ag_rgb(0.2f, 0.9f, 1.0f), ag_rgb(0.05f, 0.3f, 0.45f), std::fabs(t - 0.49f) * 8);
        return c;
    });
    paint_region(&img, AG_T2_METAL, [&](float s, float t) {
        const float brush = ag_noise2xy(s * 96, t * 4, 96, 4, 103);
        return ag_rgb_scale(ag_rgb(0.28f, 0.29f, 0.31f), 0.8f + 0.4f * brush);
    });
    return img;
}

ag_image_t ag_tex_white() {
    ag_image_t img = ag_image_make(32, 32, 3);
    ag_image_fill(&img, 0, 0, 32, 32, ag_rgb(1, 1, 1));
    return img;
}

// ---- sky ----

void ag_sky_face_dir(int face, float s, float t, float* x, float* y, float* z) {
    const float a = 2 * s - 1, b = 1 - 2 * t;
    switch (face) {
        case AG_SKY_FR:
            *x = 1;
            *y = a;
            *z = b;
            break;
        case AG_SKY_RT:
            *x = -a;
            *y = 1;
            *z = b;
            break;
        case AG_SKY_BK:
            *x = -1;
            *y = -a;
            *z = b;
            break;
        case AG_SKY_LT:
            *x = a;
            *y = -1;
            *z = b;
            break;
        default:
            *x = 2 * t - 1;
            *y = a;
            *z = 1;
            break;  // up: s runs along y, t along x
    }
}

ag_sky_t ag_sky_make(const ag_params_t& p) {
    ag_sky_t s;
    s.zenith = ag_hsv(ag_param(p, "sky.zenith_hue"), ag_param(p, "sky.zenith_saturation"),
                      ag_param(p, "sky.zenith_value"));
    s.horizon = ag_hsv(ag_param(p, "sky.horizon_hue"), ag_param(p, "sky.horizon_saturation"),
                       ag_param(p, "sky.horizon_value"));
    s.below = ag_hsv(ag_param(p, "sky.below_hue"), 0.25f, ag_param(p, "sky.below_value"));
    const float az = ag_param(p, "sky.sun_azimuth_deg") * kPi / 180,
                el = ag_param(p, "sky.sun_elevation_deg") * kPi / 180;
    s.sun[0] = std::cos(el) * std::cos(az);
    s.sun[1] = std::cos(el) * std::sin(az);
    s.sun[2] = std::sin(el);
    s.cloud_scale = ag_param(p, "sky.cloud_scale");
    s.cloud_cover = ag_param(p, "sky.cloud_cover");
    return s;
}

ag_rgb_t ag_sky_color(const ag_sky_t& sky, float x, float y, float z) {
    const float len = std::sqrt(x * x + y * y + z * z);
    x /= len, y /= len, z /= len;
    ag_rgb_t c;
    if (z >= 0) {
        c = ag_rgb_mix(sky.horizon, sky.zenith, std::pow(z, 0.55f));
    } else {
        c = ag_rgb_mix(sky.horizon, sky.below, ag_smoothstep(0.0f, 0.25f, -z));
    }
    const float cosang = x * sky.sun[0] + y * sky.sun[1] + z * sky.sun[2];
    const float glow =
        std::pow(std::max(0.0f, cosang), 8.0f) * 0.35f + std::pow(std::max(0.0f, cosang), 600.0f) * 1.5f;
    c = ag_rgb_mix(c, ag_rgb(1.0f, 0.93f, 0.75f), ag_clamp01(glow));
    // Clouds: 3D noise on the direction, squashed towards the horizon.
    if (z > -0.05f) {
        const float h = 1.0f / (z + 0.25f);
        const float n = ag_fbm3(x * h * sky.cloud_scale, y * h * sky.cloud_scale, 7.3f, 6, 0.5f, 111);
        const float cloud = ag_smoothstep(1.0f - sky.cloud_cover, 1.0f - sky.cloud_cover + 0.22f, n) *
                            ag_smoothstep(-0.05f, 0.12f, z);
        const float lit = 0.82f + 0.18f * ag_clamp01(cosang);
        c = ag_rgb_mix(c, ag_rgb(lit, lit, lit * 0.98f), cloud * 0.85f);
    }
    return c;
}

ag_image_t ag_tex_sky_face(const ag_params_t& p, int face) {
    const int n = static_cast<int>(ag_param(p, "sky.size"));
    const ag_sky_t sky = ag_sky_make(p);
    ag_image_t img = ag_image_make(n, n, 3);
    for (int y = 0; y < n; y++) {
        for (int x = 0; x < n; x++) {
            // Edge texels sit exactly on the cube's edges, so clamped faces meet without a seam.
            float dx, dy, dz;
            ag_sky_face_dir(face, static_cast<float>(x) / (n - 1), static_cast<float>(y) / (n - 1), &dx, &dy,
                            &dz);
            ag_image_set(&img, x, y, ag_sky_color(sky, dx, dy, dz));
        }
    }
    return img;
}

// ---- menu background: the sky at dusk over layered ridges ----

ag_image_t ag_tex_menu_background(const ag_params_t& p) {
    const int w = 1024, h = 576;
    ag_image_t img = ag_image_make(w, h, 3);
    const float dim = ag_param(p, "menu.brightness");
    const ag_rgb_t ridge = ag_hsv(ag_param(p, "menu.ridge_hue"), 0.35f, 0.3f);
    const ag_sky_t sky = ag_sky_make(p);
    // Ridge lines and the haze colour depend only on the column.
    std::vector<float> tops(static_cast<size_t>(w) * 3);
    std::vector<ag_rgb_t> haze_color(w);
    for (int x = 0; x < w; x++) {
        const float s = static_cast<float>(x) / w;
        for (int layer = 0; layer < 3; layer++) {
            const float f = 3.0f + layer * 2.5f;
            tops[x * 3 + layer] =
                0.5f + 0.07f * layer - 0.18f * ag_fbm2(s * f, layer * 7.1f, 0, 5, 0.5f, 121 + layer);
        }
        haze_color[x] = ag_sky_color(sky, 1, (s - 0.5f) * 1.9f, 0.02f);
    }
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            const float s = static_cast<float>(x) / w, t = static_cast<float>(y) / h;
            // Looking along +x with a wide view; the horizon at 62% of the height.
            int front = -1;
            for (int layer = 0; layer < 3; layer++)
                if (t > tops[x * 3 + layer]) front = layer;
            ag_rgb_t c;
            if (front < 0) {
                c = ag_sky_color(sky, 1.0f, (s - 0.5f) * 1.9f, (0.62f - t) * 1.1f);
            } else {
                const float haze = 0.55f - 0.22f * front;
                const float shade = 0.85f + 0.3f * ag_fbm2(s * 40, t * 40, 0, 3, 0.5f, 131 + front);
                c = ag_rgb_mix(ag_rgb_scale(ridge, shade * (1.0f - 0.25f * front)), haze_color[x], haze);
            }
            const float vx = s - 0.5f, vy = t - 0.5f;
            const float vignette = 1.0f - 0.55f * (vx * vx + vy * vy) * 2.0f;
            ag_image_set(&img, x, y, ag_rgb_scale(c, dim * vignette));
        }
    }
    return img;
}
