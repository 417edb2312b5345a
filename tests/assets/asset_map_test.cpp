// The level model against the level table the game collides with: walls stand
// on the blocks that stop shots, low walls stay under bullet height on the blocks
// shots fly over, open floor has nothing above the floor, and the areas players
// can't walk on look different from the floor.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "assets/asset_read.h"
#include "game/game_level.h"
#include "tools/assetgen/ag_atlas.h"

namespace {

constexpr float kMapScale = 3.2f;      // the level model is drawn at this scale
constexpr float kBulletHeight = 0.9f;  // bullets fly at this height
constexpr float kPlayerHeight = 1.2f;

// Highest surface of the level model above a floor point, with its texture
// coordinates; a grid of buckets keeps the lookups quick.
class surface_index_t {
   public:
    explicit surface_index_t(const std::vector<tri_t>& tris) {
        for (const tri_t& t0 : tris) {
            tri_t t = t0;
            for (vec3& p : t.p) p = kx_vec3_scale(p, kMapScale);
            const float area =
                (t.p[1].x - t.p[0].x) * (t.p[2].y - t.p[0].y) - (t.p[2].x - t.p[0].x) * (t.p[1].y - t.p[0].y);
            if (std::fabs(area) < 1e-6f) continue;  // vertical faces have no top
            const int id = static_cast<int>(tris_.size());
            tris_.push_back(t);
            const int x0 = bucket(std::min({t.p[0].x, t.p[1].x, t.p[2].x})),
                      x1 = bucket(std::max({t.p[0].x, t.p[1].x, t.p[2].x}));
            const int y0 = bucket(std::min({t.p[0].y, t.p[1].y, t.p[2].y})),
                      y1 = bucket(std::max({t.p[0].y, t.p[1].y, t.p[2].y}));
            for (int y = y0; y <= y1; y++)
                for (int x = x0; x <= x1; x++) buckets_[key(x, y)].push_back(id);
        }
    }
    // Height of the highest surface over (x, y), or -1 when there is none.
    float top(float x, float y, float uv[2] = nullptr) const {
        float best = -1;
        const auto it = buckets_.find(key(bucket(x), bucket(y)));
        if (it == buckets_.end()) return best;
        for (int id : it->second) {
            const tri_t& t = tris_[id];
            float w[3];
            if (!barycentric(t, x, y, w)) continue;
            const float z = w[0] * t.p[0].z + w[1] * t.p[1].z + w[2] * t.p[2].z;
            if (z > best) {
                best = z;
                if (uv) {
                    uv[0] = w[0] * t.uv[0][0] + w[1] * t.uv[1][0] + w[2] * t.uv[2][0];
                    uv[1] = w[0] * t.uv[0][1] + w[1] * t.uv[1][1] + w[2] * t.uv[2][1];
                }
            }
        }
        return best;
    }

   private:
    static int bucket(float v) { return static_cast<int>(std::floor(v)); }
    static long key(int x, int y) { return static_cast<long>(x) * 100000 + y; }
    static bool barycentric(const tri_t& t, float x, float y, float w[3]) {
        const float d =
            (t.p[1].y - t.p[2].y) * (t.p[0].x - t.p[2].x) + (t.p[2].x - t.p[1].x) * (t.p[0].y - t.p[2].y);
        w[0] = ((t.p[1].y - t.p[2].y) * (x - t.p[2].x) + (t.p[2].x - t.p[1].x) * (y - t.p[2].y)) / d;
        w[1] = ((t.p[2].y - t.p[0].y) * (x - t.p[2].x) + (t.p[0].x - t.p[2].x) * (y - t.p[2].y)) / d;
        w[2] = 1 - w[0] - w[1];
        return w[0] >= -1e-4f && w[1] >= -1e-4f && w[2] >= -1e-4f;
    }
    std::vector<tri_t> tris_;
    std::map<long, std::vector<int>> buckets_;
};

bool inside(const game_level_rect_t& r, float x, float y, float margin) {
    return x > r.x1 - margin && x < r.x2 + margin && y > r.y1 - margin && y < r.y2 + margin;
}

bool in_any(int kind, int clip, float x, float y, float margin) {
    for (int i = 1; i < GAME_LEVEL_RECT_COUNT; i++) {
        const game_level_rect_t& r = game_level_rects[i];
        if (r.kind == kind && (clip == 0 || r.clip_class == clip) && inside(r, x, y, margin)) return true;
    }
    return false;
}

bool in_region(const ag_region_t& r, const float uv[2]) {
    return uv[0] >= r.u0 && uv[0] <= r.u1 && uv[1] >= r.v0 && uv[1] <= r.v1;
}

class MapTest : public ::testing::Test {
   protected:
    static void SetUpTestSuite() {
        std::vector<tri_t> tris;
        ASSERT_TRUE(read_rawmdl(asset_path("models/map3.rawmdl"), &tris));
        index_ = new surface_index_t(tris);
    }
    static void TearDownTestSuite() {
        delete index_;
        index_ = nullptr;
    }
    // Calls f(x, y) on a grid of points inset 0.1 inside the rectangle.
    template <typename F>
    static void sample(const game_level_rect_t& r, F f) {
        for (float y = r.y1 + 0.1f; y < r.y2 - 0.05f; y += 0.3f)
            for (float x = r.x1 + 0.1f; x < r.x2 - 0.05f; x += 0.3f) f(x, y);
    }
    static surface_index_t* index_;
};

surface_index_t* MapTest::index_ = nullptr;

TEST_F(MapTest, WallsStandOnEveryBlockThatStopsShots) {
    for (int i = 1; i < GAME_LEVEL_RECT_COUNT; i++) {
        const game_level_rect_t& r = game_level_rects[i];
        if (r.kind != RECT_BLOCK || r.clip_class != CLIP_SOLID) continue;
        sample(r, [&](float x, float y) {
            EXPECT_GT(index_->top(x, y), kPlayerHeight) << "block " << i << " at " << x << "," << y;
        });
    }
}

TEST_F(MapTest, LowWallsStayUnderBulletHeight) {
    for (int i = 1; i < GAME_LEVEL_RECT_COUNT; i++) {
        const game_level_rect_t& r = game_level_rects[i];
        if (r.kind != RECT_BLOCK || r.clip_class != CLIP_LOW) continue;
        sample(r, [&](float x, float y) {
            if (in_any(RECT_BLOCK, CLIP_SOLID, x, y, 0.05f)) return;
            const float z = index_->top(x, y);
            EXPECT_GT(z, 0.3f) << "low block " << i << " at " << x << "," << y;
            EXPECT_LT(z, kBulletHeight) << "low block " << i << " at " << x << "," << y;
        });
    }
}

TEST_F(MapTest, OpenFloorHasNothingAboveIt) {
    int checked = 0;
    for (int i = 1; i < GAME_LEVEL_RECT_COUNT; i++) {
        const game_level_rect_t& r = game_level_rects[i];
        if (r.kind != RECT_AREA || r.clip_class != CLIP_SOLID) continue;
        sample(r, [&](float x, float y) {
            if (in_any(RECT_BLOCK, 0, x, y, 0.05f)) return;
            float uv[2];
            const float z = index_->top(x, y, uv);
            EXPECT_GE(z, 0.0f) << "area " << i << " has a hole at " << x << "," << y;
            EXPECT_LT(z, 0.2f) << "area " << i << " at " << x << "," << y;
            EXPECT_TRUE(in_region(AG_CRYSTAL_FLOOR, uv) || in_region(AG_CRYSTAL_STRIPE, uv)) << x << "," << y;
            checked++;
        });
    }
    EXPECT_GT(checked, 1000);
}

TEST_F(MapTest, AreasPlayersCannotWalkLookDifferent) {
    int checked = 0;
    for (int i = 1; i < GAME_LEVEL_RECT_COUNT; i++) {
        const game_level_rect_t& r = game_level_rects[i];
        if (r.kind != RECT_AREA || r.clip_class != CLIP_LOW) continue;
        sample(r, [&](float x, float y) {
            if (in_any(RECT_AREA, CLIP_SOLID, x, y, 0.05f) || in_any(RECT_BLOCK, 0, x, y, 0.05f)) return;
            float uv[2];
            const float z = index_->top(x, y, uv);
            EXPECT_LT(z, kBulletHeight) << "field " << i << " blocks shots at " << x << "," << y;
            EXPECT_TRUE(in_region(AG_CRYSTAL_HAZARD, uv)) << "field " << i << " at " << x << "," << y;
            checked++;
        });
    }
    EXPECT_GT(checked, 100);
}

TEST_F(MapTest, TheLevelIsWalledIn) {
    // Just outside every area, unless another area or block continues there, a
    // wall rises above the players: shots end on what the player sees.
    int walls = 0;
    for (int i = 1; i < GAME_LEVEL_RECT_COUNT; i++) {
        const game_level_rect_t& r = game_level_rects[i];
        if (r.kind != RECT_AREA) continue;
        for (float x = r.x1 + 0.2f; x < r.x2; x += 0.4f) {
            for (float y : {r.y1 - 0.2f, r.y2 + 0.2f}) {
                if (in_any(RECT_AREA, 0, x, y, 0.05f) || in_any(RECT_BLOCK, 0, x, y, 0.05f)) continue;
                EXPECT_GT(index_->top(x, y), kPlayerHeight) << "area " << i << " open at " << x << "," << y;
                walls++;
            }
        }
    }
    EXPECT_GT(walls, 100);
}

}  // namespace
