// What the level draws for each kind of object: model, texture, tint, turn and size.
#include <gtest/gtest.h>

#include <cmath>

#include "game/draw/game_assets.h"
#include "game/draw/game_draw_level.h"

namespace {

constexpr float PI = static_cast<float>(M_PI);

struct want_t {
    int model, texture, lit, label;
    vec3 pos, tint;
    float rot_z, rot_y, scale;
};

struct row_t {
    const char* what;
    game_obj_t obj;
    int free_camera, debug_draw;
    uint16_t time;
    int count;
    want_t draws[2];
};

game_obj_t obj(int type, vec3 pos) {
    game_obj_t o{};
    o.type = type;
    o.pos = pos;
    return o;
}

game_obj_t with(game_obj_t o, void (*edit)(game_obj_t*)) {
    edit(&o);
    return o;
}

TEST(GameLevelDraw, ObjectTable) {
    const vec3 at = {3, 4, 0.5f};
    const float yaw = 0.7f;  // camera yaw, turns the name labels
    const row_t rows[] = {
        {"bot of slot 6, hit, walking north",
         with(obj(OBJ_OTHER, at),
              [](game_obj_t* o) {
                  o->active = 1, o->id = 6, o->hit_flash = 15, o->vel = {0, 1, 0};
              }),
         0, 0, 0, 2,
         {{GAME_MDL_TESTPLAYER, GAME_TX_T2, 1, -1, {3, 4, 0}, {1, 0, 0.07f}, PI, 0, 0.5f},
          {-1, GAME_TX_FONT, 0, 6, {3, 4, 1.5f}, {0, 0, 0}, yaw, 0, 0.0084f}}},
        {"slot 3 tint", with(obj(OBJ_OTHER, at), [](game_obj_t* o) { o->active = 1, o->id = 3, o->vel = {1, 0, 0}; }),
         0, 0, 0, 2,
         {{GAME_MDL_TESTPLAYER, GAME_TX_T2, 1, -1, {3, 4, 0}, {0.04f, 0.04f, 0.05f}, PI / 2, 0, 0.5f},
          {-1, GAME_TX_FONT, 0, 3, {3, 4, 1.5f}, {0, 0, 0}, yaw, 0, 0.0084f}}},
        {"dead bot", with(obj(OBJ_OTHER, at), [](game_obj_t* o) { o->active = 1, o->dead = 1; }), 0, 0, 0, 0, {}},
        {"empty slot", obj(OBJ_OTHER, at), 0, 0, 0, 0, {}},
        {"own body, eyes", obj(OBJ_PLAYER, at), 0, 0, 0, 0, {}},
        {"own body, free camera", obj(OBJ_PLAYER, at), 1, 0, 0, 1,
         {{GAME_MDL_TESTPLAYER, GAME_TX_CRYSTAL, 0, -1, {3, 4, 0.1f}, {1, 1, 0}, 0, 0, 0.5f}}},
        {"own machine-gun round climbing",
         with(obj(OBJ_BULLET, at),
              [](game_obj_t* o) { o->bullet_kind = 1, o->flags = 0x100, o->vel = {1, 1, std::sqrt(2.0f)}; }),
         0, 0, 0, 1,
         {{GAME_MDL_LASERBULLET, GAME_TX_WHITE, 0, -1, at, {0.2f, 1, 0.4f}, PI / 4, -PI / 4, 0.3f}}},
        {"bot's round", with(obj(OBJ_BULLET, at), [](game_obj_t* o) { o->bullet_kind = 1, o->vel = {0, -1, 0}; }), 0,
         0, 0, 1, {{GAME_MDL_LASERBULLET, GAME_TX_WHITE, 0, -1, at, {1, 0.2f, 0.2f}, -PI / 2, 0, 0.3f}}},
        {"pellet", obj(OBJ_BULLET, at), 0, 0, 0, 1,
         {{GAME_MDL_MINISPHERE, GAME_TX_CRYSTAL, 0, -1, at, {1.4f, 1.4f, 0.9f}, 0, 0, 0.3f}}},
        {"impact at age 10", with(obj(OBJ_FX_IMPACT, at), [](game_obj_t* o) { o->age = 10; }), 0, 0, 0, 1,
         {{GAME_MDL_MINISPHERE, GAME_TX_CRYSTAL, 0, -1, at, {0.7f, 0.7f, 0.7f}, 0, 0, 0.2f}}},
        {"explosion at age 10", with(obj(OBJ_FX_EXPLOSION, at), [](game_obj_t* o) { o->age = 10; }), 0, 0, 0, 1,
         {{GAME_MDL_MINISPHERE, GAME_TX_CRYSTAL, 0, -1, at, {1.3f, 0.8f, 0.6f}, 0, 0, 0.9f}}},
        {"respawn at age 6", with(obj(OBJ_FX_RESPAWN, at), [](game_obj_t* o) { o->age = 6; }), 0, 0, 0, 1,
         {{GAME_MDL_MINISPHERE, GAME_TX_CRYSTAL, 0, -1, at, {1, 2, 8}, 0, 0, 9.25f}}},
        {"respawn at age 35", with(obj(OBJ_FX_RESPAWN, at), [](game_obj_t* o) { o->age = 35; }), 0, 0, 0, 1,
         {{GAME_MDL_MINISPHERE, GAME_TX_CRYSTAL, 0, -1, at, {1, 2, 8}, 0, 0, 2.0f}}},
        {"waypoint", obj(OBJ_WAYPOINT, at), 0, 0, 0, 0, {}},
        {"waypoint in debug drawing", obj(OBJ_WAYPOINT, at), 0, 1, 0, 1,
         {{GAME_MDL_MINISPHERE, GAME_TX_CRYSTAL, 0, -1, at, {1, 2, 8}, 0, 0, 1.7f}}},
        {"health kit at 1000 ms", obj(OBJ_HEALTHKIT, {1, 2, 0}), 0, 0, 1000, 2,
         {{GAME_MDL_REDCROSS, GAME_TX_CRYSTAL, 0, -1, {1, 2, 0.5f}, {1.1f, 1.9f, 1.3f}, 3.0679617f, 0, 0.075f},
          {GAME_MDL_MINISPHERE, GAME_TX_CRYSTAL, 0, -1, {1, 2, -0.7f}, {0.9f, 1.3f, 1.1f}, 0, 0, 4.4f}}},
        {"taken health kit", with(obj(OBJ_HEALTHKIT, {1, 2, 0}), [](game_obj_t* o) { o->dead = 1; }), 0, 0, 1000, 1,
         {{GAME_MDL_MINISPHERE, GAME_TX_CRYSTAL, 0, -1, {1, 2, -0.7f}, {0.9f, 1.3f, 1.1f}, 0, 0, 4.4f}}},
        {"bot spawn", obj(OBJ_BOT_SPAWN, at), 1, 1, 0, 0, {}},
        {"player spawn", obj(OBJ_PLAYER_SPAWN, at), 1, 1, 0, 0, {}},
    };
    for (const row_t& r : rows) {
        game_model_draw_t got[2] = {};
        const int n = game_level_object_draws(&r.obj, r.free_camera, r.debug_draw, r.time, yaw, got);
        ASSERT_EQ(n, r.count) << r.what;
        for (int k = 0; k < n; k++) {
            const want_t& w = r.draws[k];
            const game_model_draw_t& g = got[k];
            EXPECT_EQ(g.model, w.model) << r.what;
            if (w.label < 0) {
                EXPECT_EQ(g.texture, w.texture) << r.what;
            }
            EXPECT_EQ(g.lit, w.lit) << r.what;
            EXPECT_EQ(g.label, w.label) << r.what;
            const float gv[9] = {g.pos.x, g.pos.y, g.pos.z, g.tint.x, g.tint.y, g.tint.z, g.rot_z, g.rot_y, g.scale};
            const float wv[9] = {w.pos.x, w.pos.y, w.pos.z, w.tint.x, w.tint.y, w.tint.z, w.rot_z, w.rot_y, w.scale};
            for (int j = 0; j < (w.label < 0 ? 9 : 3); j++) EXPECT_NEAR(gv[j], wv[j], 1e-5f) << r.what << " value " << j;
            if (w.label >= 0) {
                EXPECT_NEAR(g.rot_z, yaw, 1e-6f) << r.what;
                EXPECT_NEAR(g.scale, 0.0084f, 1e-7f) << r.what;
            }
        }
    }
}

}  // namespace
