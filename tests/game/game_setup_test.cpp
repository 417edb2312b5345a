// Pools, the event queue and the new-game setup.
#include <gtest/gtest.h>

#include "game/sim/game_level.h"
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
}

class GameSetup : public GameTest {};

TEST_F(GameSetup, EventsBeyondOneMessageStayQueuedInOrder) {
    game_event_t e{}, out[GAME_EVENTS_CAPACITY];
    for (e.code = 0; e.code < GAME_EVENTS_CAPACITY; e.code++) ASSERT_EQ(game_event_queue(e), 1);
    ASSERT_EQ(game_events_take(out, 4), 4);
    ASSERT_EQ(game_events_take(out + 4, GAME_EVENTS_CAPACITY), GAME_EVENTS_CAPACITY - 4);
    for (int k = 0; k < GAME_EVENTS_CAPACITY; k++) ASSERT_EQ(out[k].code, k);
}

TEST_F(GameSetup, NewGameHasThePlayerTheSlotsAndTheMarkersInOrder) {
    game_world.ai_shooting_disabled = 1;
    for (int t = 0; t < 500; t++) game_tick();
    game_logic_start_new_game();  // a second game discards the first
    ASSERT_EQ(game_world.objects.count, 84);
    EXPECT_EQ(game_obj(0)->type, OBJ_PLAYER);
    for (int k = 0; k < GAME_SLOT_COUNT; k++) {
        const game_obj_t* o = game_world.slots[k];
        EXPECT_EQ(o, game_obj(k + 1));
        EXPECT_EQ((ints{o->type, o->id, o->active}), (ints{OBJ_OTHER, k, k < 4}));
    }
    for (int m = 0; m < GAME_LEVEL_MARKER_COUNT; m++) {
        const game_obj_t* o = game_obj(13 + m);
        const game_level_marker_t& l = game_level_markers[m];
        EXPECT_EQ(floats({1.0f * o->type, o->pos.x, o->pos.y}), floats({1.0f * l.type, l.x, l.y}));
    }
    // The bots on the first four bot spawns with alternating weapons.
    const float bots[4][3] = {{-14.4f, 16.8f, 1}, {-39.2f, -6.4f, 0}, {-29.6f, -24, 1}, {9.6f, -2.4f, 0}};
    for (int k = 1; k <= 4; k++) {
        const game_obj_t* b = game_obj(k);
        EXPECT_EQ(floats({b->pos.x, b->pos.y, 1.0f * b->weapon, 1.0f * b->lives, 1.0f * b->health}),
                  floats({bots[k - 1][0], bots[k - 1][1], bots[k - 1][2], 3, 60}));
    }
    // The player at its spawn point, holding a machine gun it has just selected.
    const game_obj_t* p = game_obj(0);
    EXPECT_EQ(floats({p->pos.x, p->pos.y, p->pos.z}), floats({-29.6071f, 9.6f, 0.5f}));
    EXPECT_EQ((ints{p->id, p->lives, p->health, p->weapon, p->ammo, p->switch_timer, game_world.bots_alive}),
              (ints{GAME_PLAYER_ID, 9, 60, 1, 18, 60, 4}));
}

}  // namespace
