// The fast free-space and line-of-sight queries against a plain scan of the
// rects pool on many random cases.
#include <gtest/gtest.h>

#include <random>

#include "game_fixture.h"

namespace {

// The plain version: every rectangle of the pool, for every sample.
int ref_point_free(int nav, vec3 p, float r) {
    if (p.z < -0.0001 || p.z > 10) return 0;
    int floor = 0;
    for (int k = 0; k < game_world.rects.count; k++) {
        const game_rect_t& q = *game_rect(k);
        if (!(p.x - r > q.x1 && p.x + r < q.x2 && p.y - r > q.y1 && p.y + r < q.y2)) continue;
        if (q.kind == RECT_BLOCK && (nav || q.clip_class == CLIP_SOLID)) return 0;
        if (q.kind == RECT_AREA && (!nav || q.clip_class == CLIP_SOLID)) floor = 1;
    }
    return floor;
}

int ref_segment_clear(int nav, vec3 a, vec3 b) {
    const vec3 d = kx_vec3_sub(b, a);
    const int n = game_segment_samples(kx_vec3_length(d));
    if (n < 2) return 1;
    for (int k = 1; k < n; k++)
        if (!ref_point_free(nav, game_segment_point(a, d, k, n), 0.08f)) return 0;
    return 1;
}

class GameQuery : public GameTest {};

TEST_F(GameQuery, FastSegmentMatchesThePlainScan) {
    // The level replaces a different set of rectangles: nothing of the old one may linger.
    open_floor({game_rect_make(RECT_BLOCK, CLIP_SOLID, -30, 0, -10, 20)});
    game_logic_start_new_game();
    std::mt19937 rng(12345);
    std::uniform_real_distribution<float> xy(-48, 36), z(0, 1.2f), near(-3, 3);
    int clear[2] = {}, blocked[2] = {};
    for (int t = 0; t < 20000; t++) {
        vec3 a = {xy(rng), xy(rng), t % 7 == 0 ? z(rng) : 0.5f};
        // Mix long and short segments: bots mostly test nearby waypoints.
        vec3 b =
            t % 3 == 0 ? kx_vec3(a.x + near(rng), a.y + near(rng), a.z) : kx_vec3(xy(rng), xy(rng), z(rng));
        if (t % 11 == 0) b.z = 11;  // leaves the vertical bound
        const int nav = t & 1;
        const int fast = game_segment_clear(nav, a, b);
        ASSERT_EQ(fast, ref_segment_clear(nav, a, b))
            << t << ": " << a.x << "," << a.y << " -> " << b.x << "," << b.y;
        (fast ? clear : blocked)[nav]++;
        const vec3 p = {xy(rng), xy(rng), z(rng)};
        ASSERT_EQ(game_point_free(nav, p, 0.08f), ref_point_free(nav, p, 0.08f));
    }
    // Both answers occur often enough for the comparison to mean something.
    for (int nav = 0; nav < 2; nav++) EXPECT_GT(kx_imin(clear[nav] * 2, blocked[nav]), 1000);
    // And every pair of level markers, the segments the bots actually test.
    for (int i = 13; i < game_world.objects.count; i++)
        for (int j = 13; j < game_world.objects.count; j++)
            for (int nav = 0; nav < 2; nav++)
                ASSERT_EQ(game_obj_sees(i, j, nav),
                          ref_segment_clear(nav, game_obj(i)->pos, game_obj(j)->pos));
}

}  // namespace
