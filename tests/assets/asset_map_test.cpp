// The level model against the level table the game collides with, sampled on a grid:
// walls stand on the blocks that stop shots (class 16), low walls stay under bullet
// height on the blocks shots fly over (class 17), open floor has nothing above it, the
// areas players can't walk on look different, and the level is walled in.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "assets/asset_read.h"
#include "game/game_level.h"
#include "tools/assetgen/ag_atlas.h"

namespace {

constexpr float kMapScale = 3.2f;      // the level model is drawn at this scale
constexpr float kBulletHeight = 0.9f;  // bullets fly at this height
constexpr float kPlayerHeight = 1.2f;

// Height of the highest surface of the level model (scaled tris) over (x, y), -1 when
// there is none, and its texture coordinates.
float top(const std::vector<tri_t>& tris, float x, float y, float uv[2]) {
    float best = -1;
    for (const tri_t& t : tris) {
        const vec3* p = t.p;
        if (x < std::min({p[0].x, p[1].x, p[2].x}) || x > std::max({p[0].x, p[1].x, p[2].x}) ||
            y < std::min({p[0].y, p[1].y, p[2].y}) || y > std::max({p[0].y, p[1].y, p[2].y}))
            continue;
        const float d = (p[1].y - p[2].y) * (p[0].x - p[2].x) + (p[2].x - p[1].x) * (p[0].y - p[2].y);
        if (std::fabs(d) < 1e-6f) continue;  // vertical faces have no top
        const float w0 = ((p[1].y - p[2].y) * (x - p[2].x) + (p[2].x - p[1].x) * (y - p[2].y)) / d;
        const float w1 = ((p[2].y - p[0].y) * (x - p[2].x) + (p[0].x - p[2].x) * (y - p[2].y)) / d,
                    w2 = 1 - w0 - w1;
        const float z = w0 * p[0].z + w1 * p[1].z + w2 * p[2].z;
        if (std::min({w0, w1, w2}) < -1e-4f || z <= best) continue;
        best = z;
        for (int k = 0; k < 2; k++) uv[k] = w0 * t.uv[0][k] + w1 * t.uv[1][k] + w2 * t.uv[2][k];
    }
    return best;
}

// Whether (x, y) lies in a rectangle of this kind and class (class 0: any), with a margin.
bool in_any(int kind, int clip, float x, float y, float margin = 0.05f) {
    for (int i = 1; i < GAME_LEVEL_RECT_COUNT; i++) {
        const game_level_rect_t& r = game_level_rects[i];
        if (r.kind == kind && (clip == 0 || r.clip_class == clip) && x > r.x1 - margin && x < r.x2 + margin &&
            y > r.y1 - margin && y < r.y2 + margin)
            return true;
    }
    return false;
}

bool in_region(const ag_region_t& r, const float uv[2]) {
    return uv[0] >= r.u0 && uv[0] <= r.u1 && uv[1] >= r.v0 && uv[1] <= r.v1;
}

TEST(AssetMap, TheLevelModelMatchesTheLevelTable) {
    std::vector<tri_t> tris;
    ASSERT_TRUE(read_rawmdl(asset_path("models/map3.rawmdl"), &tris));
    for (tri_t& t : tris)
        for (vec3& p : t.p) p = kx_vec3_scale(p, kMapScale);
    const ag_region_t any = {0, 0, 1, 1};
    enum { SOLID_BLOCKS = 1, BLOCKS = 2, FLOOR = 4 };  // rectangles that decide a point instead
    const struct {
        const char* what;
        int kind, clip, skip;
        float z_min, z_max;
        ag_region_t look, look2;  // the surface's texture regions
        int min_points;
    } cases[] = {
        {"wall on a class-16 block", RECT_BLOCK, CLIP_SOLID, 0, kPlayerHeight, 1e9f, any, any, 100},
        {"low wall on a class-17 block", RECT_BLOCK, CLIP_LOW, SOLID_BLOCKS, 0.3f, kBulletHeight, any, any,
         10},
        {"open floor", RECT_AREA, CLIP_SOLID, BLOCKS, 0.0f, 0.2f, AG_CRYSTAL_FLOOR, AG_CRYSTAL_STRIPE, 1000},
        {"no-walk field", RECT_AREA, CLIP_LOW, BLOCKS | FLOOR, -1, kBulletHeight, AG_CRYSTAL_HAZARD,
         AG_CRYSTAL_HAZARD, 100},
    };
    for (const auto& c : cases) {
        int points = 0;
        for (int i = 1; i < GAME_LEVEL_RECT_COUNT; i++) {
            const game_level_rect_t& r = game_level_rects[i];
            if (r.kind != c.kind || r.clip_class != c.clip) continue;
            for (float y = r.y1 + 0.1f; y < r.y2 - 0.05f; y += 0.3f)
                for (float x = r.x1 + 0.1f; x < r.x2 - 0.05f; x += 0.3f) {
                    if ((c.skip & SOLID_BLOCKS && in_any(RECT_BLOCK, CLIP_SOLID, x, y)) ||
                        (c.skip & BLOCKS && in_any(RECT_BLOCK, 0, x, y)) ||
                        (c.skip & FLOOR && in_any(RECT_AREA, CLIP_SOLID, x, y)))
                        continue;
                    float uv[2] = {0, 0};
                    const float z = top(tris, x, y, uv);
                    EXPECT_TRUE(z >= c.z_min && z < c.z_max &&
                                (in_region(c.look, uv) || in_region(c.look2, uv)))
                        << c.what << " (rectangle " << i << ") at " << x << "," << y << ": height " << z;
                    points++;
                }
        }
        EXPECT_GE(points, c.min_points) << c.what;
    }
    // Just outside every area, unless another area or block continues there, a wall
    // rises above the players: shots end on what the player sees.
    int walls = 0;
    for (int i = 1; i < GAME_LEVEL_RECT_COUNT; i++) {
        const game_level_rect_t& r = game_level_rects[i];
        for (float x = r.x1 + 0.2f; r.kind == RECT_AREA && x < r.x2; x += 0.4f)
            for (float y : {r.y1 - 0.2f, r.y2 + 0.2f}) {
                if (in_any(RECT_AREA, 0, x, y) || in_any(RECT_BLOCK, 0, x, y)) continue;
                float uv[2];
                EXPECT_GT(top(tris, x, y, uv), kPlayerHeight) << "area " << i << " open at " << x << "," << y;
                walls++;
            }
    }
    EXPECT_GT(walls, 100);
}

}  // namespace
