// The level model against the level table the game collides with, sampled on a grid:
// over every block that stops shots (class 16) a wall rises above the players, so
// shots end on what the player sees.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "assets/asset_read.h"
#include "game/sim/game_level.h"

namespace {

// Height of the highest surface of the scaled level model over (x, y), -1 when none.
float top(const std::vector<tri_t>& tris, float x, float y) {
    float best = -1;
    for (const tri_t& t : tris) {
        const vec3* p = t.p;
        const float d = (p[1].y - p[2].y) * (p[0].x - p[2].x) + (p[2].x - p[1].x) * (p[0].y - p[2].y);
        if (std::fabs(d) < 1e-6f) continue;  // vertical faces have no top
        const float w0 = ((p[1].y - p[2].y) * (x - p[2].x) + (p[2].x - p[1].x) * (y - p[2].y)) / d;
        const float w1 = ((p[2].y - p[0].y) * (x - p[2].x) + (p[0].x - p[2].x) * (y - p[2].y)) / d;
        if (std::min({w0, w1, 1 - w0 - w1}) < -1e-4f) continue;
        best = std::max(best, w0 * p[0].z + w1 * p[1].z + (1 - w0 - w1) * p[2].z);
    }
    return best;
}

TEST(AssetMap, WallsStandOnTheBlocksThatStopShots) {
    std::vector<tri_t> tris;
    ASSERT_TRUE(read_rawmdl(asset_path("models/map3.rawmdl"), &tris));
    for (tri_t& t : tris)
        for (vec3& p : t.p) p = kx_vec3_scale(p, 3.2f);  // the level's draw scale
    int points = 0;
    for (int i = 1; i < GAME_LEVEL_RECT_COUNT; i++) {
        const game_level_rect_t& r = game_level_rects[i];
        if (r.kind != RECT_BLOCK || r.clip_class != CLIP_SOLID) continue;
        for (float y = r.y1 + 0.1f; y < r.y2 - 0.05f; y += 0.3f)
            for (float x = r.x1 + 0.1f; x < r.x2 - 0.05f; x += 0.3f, points++)
                EXPECT_GE(top(tris, x, y), 1.2f) << "block " << i << " at " << x << "," << y;  // player height
    }
    EXPECT_GE(points, 100);
}

}  // namespace
