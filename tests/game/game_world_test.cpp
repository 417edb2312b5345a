// Pools, object defaults, the event queue and the state reset.
#include <gtest/gtest.h>

#include <cmath>

#include "game_fixture.h"

namespace {

TEST(GamePool, AppendOrDropAndSwapRemove) {
    game_pool_t<int> p{};
    ASSERT_EQ(game_pool_create(&p, 4), 1);
    for (int v = 10; v < 14; v++) EXPECT_EQ(game_pool_add(&p, v), 1);
    EXPECT_EQ(game_pool_add(&p, 99), 0);  // full: dropped, pool unchanged
    EXPECT_EQ(p.count, 4);
    EXPECT_EQ(p.items[3], 13);

    game_pool_remove(&p, 1);  // last (13) moves into the hole
    EXPECT_EQ(p.count, 3);
    EXPECT_EQ(p.items[1], 13);
    game_pool_remove(&p, 2);  // removing the last only shrinks
    EXPECT_EQ(p.count, 2);
    EXPECT_EQ(p.items[0], 10);
    EXPECT_EQ(p.items[1], 13);
    game_pool_clear(&p);
    EXPECT_EQ(p.count, 0);
    game_pool_free(&p);
    EXPECT_EQ(p.in_use, 0);
    EXPECT_EQ(p.items, nullptr);
}

TEST(GameObj, CreateDefaults) {
    const game_obj_t o = game_obj_create(OBJ_FX_RESPAWN, 1, kx_vec3(1, 2, 3));
    EXPECT_EQ(o.type, OBJ_FX_RESPAWN);
    EXPECT_EQ(o.flags, 1);
    EXPECT_EQ(o.age, 6);
    EXPECT_EQ(o.radius, 0.5f);
    EXPECT_EQ(o.lives, 3);
    EXPECT_EQ(o.health, 60);
    EXPECT_EQ(o.timer, 250);
    EXPECT_EQ(o.pos.x, 1);
    EXPECT_EQ(o.pos.z, 3);
    EXPECT_FLOAT_EQ(o.rot.x, static_cast<float>(M_PI / 2));
    EXPECT_EQ(o.rot.y, 0);
    EXPECT_EQ(o.id | o.area | o.waypoint | o.dead | o.active | o.weapon | o.fire | o.ammo | o.bullet_kind, 0);
    EXPECT_EQ(o.vel.x + o.vel.y + o.vel.z + o.wish_vel.x + o.walked, 0);
    static_assert(sizeof(game_obj_t) == 37 * 4, "29 fields, four of them vectors");
}

TEST(GameWorld, ResetState) {
    game_world.free_camera = 1;
    game_world.game_mode = 3;
    game_obj_t* saved = game_world.player;
    game_reset_state();
    EXPECT_EQ(game_world.game_mode, 2);
    EXPECT_EQ(game_world.free_camera, 0);
    EXPECT_EQ(game_world.player, nullptr);
    EXPECT_EQ(game_world.camera_pos.x, 4);
    EXPECT_EQ(game_world.camera_pos.y, 2);
    EXPECT_EQ(game_world.camera_pos.z, 1);
    game_world.player = saved;
}

class GameEvents : public GameTest {};

TEST_F(GameEvents, TakeKeepsTheRestInOrderForTheNextMessage) {
    for (int k = 0; k < 10; k++) {
        game_event_t e{};
        e.code = static_cast<uint16_t>(k);
        ASSERT_EQ(game_event_queue(e), 1);
    }
    game_event_t out[4];
    ASSERT_EQ(game_events_take(out, 4), 4);
    EXPECT_EQ(out[0].code, 0);
    EXPECT_EQ(out[3].code, 3);
    EXPECT_EQ(game_world.events.count, 6);
    game_event_t rest[16];
    ASSERT_EQ(game_events_take(rest, 16), 6);
    for (int k = 0; k < 6; k++) EXPECT_EQ(rest[k].code, 4 + k);
    EXPECT_EQ(game_events_take(rest, 16), 0);
    EXPECT_EQ(game_events_take(rest, -3), 0);
}

TEST_F(GameEvents, FullQueueDropsOnlyBeyondCapacity) {
    game_event_t e{};
    int added = 0;
    for (int k = 0; k < GAME_EVENTS_CAPACITY + 20; k++) added += game_event_queue(e);
    EXPECT_EQ(added, GAME_EVENTS_CAPACITY);
    EXPECT_EQ(game_world.events.count, GAME_EVENTS_CAPACITY);
}

TEST_F(GameEvents, RespawnEffectLivesThirtyTicks) {
    game_world.ai_shooting_disabled = 1;
    const int fx = add_obj(OBJ_FX_RESPAWN, kx_vec3(0, 0, 0));
    ASSERT_EQ(game_obj(fx)->age, 6);
    auto has_fx = [] {
        for (int i = 0; i < game_world.objects.count; i++)
            if (game_obj(i)->type == OBJ_FX_RESPAWN) return true;
        return false;
    };
    for (int t = 0; t < 29; t++) game_tick();
    EXPECT_TRUE(has_fx());
    game_tick();
    EXPECT_FALSE(has_fx());
}

}  // namespace
