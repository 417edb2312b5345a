// Pools, object defaults, the event queue and the new-game setup.
#include <gtest/gtest.h>

#include <cstring>

#include "game/game_level.h"
#include "game_fixture.h"

namespace {

TEST(GamePool, AppendOrDropAndSwapRemove) {
    game_pool_t<int> p{};
    ASSERT_EQ(game_pool_create(&p, 4), 1);
    for (int v = 10; v < 14; v++) EXPECT_EQ(game_pool_add(&p, v), 1);
    EXPECT_EQ(game_pool_add(&p, 99), 0);  // full: dropped
    game_pool_remove(&p, 1);              // the last (13) moves into the hole
    game_pool_remove(&p, 2);              // removing the last only shrinks
    game_pool_remove(&p, 5);              // out of range: nothing
    EXPECT_EQ(ints(p.items, p.items + p.count), (ints{10, 13}));
    game_pool_free(&p);
    EXPECT_EQ(p.items, nullptr);
}

TEST(GameObj, CreateSetsTheDefaultsAndZeroesTheRest) {
    static_assert(sizeof(game_obj_t) == 37 * 4, "renderer and network read the record as 37 words");
    const game_obj_t o = game_obj_create(OBJ_FX_RESPAWN, 1, kx_vec3(1, 2, 3));
    game_obj_t e;
    std::memset(&e, 0, sizeof e);
    e.type = e.age = OBJ_FX_RESPAWN, e.flags = 1, e.radius = 0.5f, e.lives = 3, e.health = 60, e.timer = 250;
    e.pos = kx_vec3(1, 2, 3), e.rot = kx_vec3(static_cast<float>(M_PI / 2), 0, 0);
    EXPECT_EQ(std::memcmp(&o, &e, sizeof o), 0);
}

class GameSetup : public GameTest {};

TEST_F(GameSetup, EventsBeyondOneMessageStayQueuedInOrder) {
    game_event_t e{}, out[GAME_EVENTS_CAPACITY];
    int added = 0;
    for (e.code = 0; e.code < GAME_EVENTS_CAPACITY + 5; e.code++) added += game_event_queue(e);
    EXPECT_EQ(added, GAME_EVENTS_CAPACITY);  // full: only the excess is dropped
    EXPECT_EQ(game_events_take(out, -3), 0);
    ASSERT_EQ(game_events_take(out, 4), 4);
    ASSERT_EQ(game_events_take(out + 4, GAME_EVENTS_CAPACITY), GAME_EVENTS_CAPACITY - 4);
    for (int k = 0; k < GAME_EVENTS_CAPACITY; k++) ASSERT_EQ(out[k].code, k);
    EXPECT_EQ(game_world.events.count, 0);
}

void expect_fresh_game() {
    ASSERT_EQ(game_world.objects.count, 84);
    ASSERT_EQ(game_world.rects.count, GAME_LEVEL_RECT_COUNT);
    static_assert(sizeof(game_rect_t) == sizeof(game_level_rect_t));
    EXPECT_EQ(std::memcmp(game_world.rects.items, game_level_rects, sizeof game_level_rects), 0);
    // The player, the twelve slots (the first four are bots), then the markers in table order.
    EXPECT_EQ(game_obj(0)->type, OBJ_PLAYER);
    for (int k = 0; k < GAME_SLOT_COUNT; k++) {
        const game_obj_t* o = game_world.slots[k];
        EXPECT_EQ(o, game_obj(k + 1));
        EXPECT_EQ((ints{o->type, o->id, o->active}), (ints{OBJ_OTHER, k, k < 4}));
    }
    for (int m = 0; m < GAME_LEVEL_MARKER_COUNT; m++) {
        const game_obj_t* o = game_obj(13 + m);
        const game_level_marker_t& l = game_level_markers[m];
        EXPECT_EQ(floats({1.0f * o->type, o->pos.x, o->pos.y, o->pos.z}),
                  floats({1.0f * l.type, l.x, l.y, 0}));
    }
    // The bots on the first four bot spawns with alternating weapons, each bound
    // for the nearest waypoint it can walk to.
    const float bots[4][3] = {{-14.4f, 16.8f, 1}, {-39.2f, -6.4f, 0}, {-29.6f, -24, 1}, {9.6f, -2.4f, 0}};
    for (int k = 1; k <= 4; k++) {
        const game_obj_t* b = game_obj(k);
        EXPECT_EQ(floats({b->pos.x, b->pos.y, b->pos.z, 1.0f * b->weapon}),
                  floats({bots[k - 1][0], bots[k - 1][1], 0.5f, bots[k - 1][2]}));
        EXPECT_EQ((ints{b->lives, b->health, b->ammo}), (ints{3, 60, 0}));
        int nearest = 0;
        for (int j = 13; j < game_world.objects.count; j++)
            if (game_obj(j)->type == OBJ_WAYPOINT && game_obj_sees(k, j, GAME_NAV) &&
                (!nearest ||
                 kx_vec3_dist2(b->pos, game_obj(j)->pos) < kx_vec3_dist2(b->pos, game_obj(nearest)->pos)))
                nearest = j;
        EXPECT_EQ(b->waypoint, nearest);
    }
    // The player at its spawn point, holding a machine gun it has just selected.
    const game_obj_t* p = game_obj(0);
    EXPECT_EQ(game_world.player, p);
    EXPECT_EQ(floats({p->pos.x, p->pos.y, p->pos.z}), floats({-29.6071f, 9.6f, 0.5f}));
    EXPECT_EQ(
        (ints{p->id, p->active, p->lives, p->health, p->area, p->weapon, p->ammo, p->switch_timer,
              p->cooldown, game_world.bots_alive, game_world.bot_spawn_count, game_world.respawn_flash}),
        (ints{GAME_PLAYER_ID, 1, 9, 60, 1, 1, 18, 60, 15, 4, 10, 30}));
}

TEST_F(GameSetup, SecondGameDiscardsTheFirstAndKeepsFlags) {
    expect_fresh_game();
    game_world.ai_shooting_disabled = game_world.debug_draw = 1;
    for (int t = 0; t < 500; t++) game_tick();
    game_obj(0)->lives = 2;
    add_obj(OBJ_BULLET, kx_vec3(0, 0, 1));
    g_hooks.sounds.clear();
    game_logic_start_new_game();
    expect_fresh_game();
    EXPECT_EQ(game_world.ai_shooting_disabled + game_world.debug_draw, 2);
    EXPECT_EQ(g_hooks.sounds, (std::vector<ints>{{GAME_SND_RELOAD, 1}}));
    EXPECT_EQ(g_hooks.victory_shown, 0);
    game_tick();
    EXPECT_EQ(game_obj(0)->area, 9);  // the first tick finds the spawn room
}

}  // namespace
