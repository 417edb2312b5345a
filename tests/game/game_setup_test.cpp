// Pools, the event queue and the new-game setup.
#include <gtest/gtest.h>

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

// Until the program installs its own, the hooks hold no key, keep the chat closed, give
// network id 0 and stop the world when the game is over; the rest do nothing.
TEST(GameHooks, DefaultsAreHarmless) {
    game_hooks_reset();
    game_world.game_mode = 3;
    int held = 0;
    for (int k = 0; k < GAME_KEY_COUNT; k++) held += game_hooks.key_held(k);
    EXPECT_EQ((ints{held, game_hooks.chat_open(), game_hooks.own_net_id()}), (ints{0, 0, 0}));
    game_hooks.play_sound(GAME_SND_HIT, 0, 1), game_hooks.show_victory(1), game_hooks.hud_mode_line("");
    game_hooks.hud_lives(1, 1), game_hooks.local_death(2), game_hooks.send_state(), game_hooks.clear_chat();
    game_hooks.shot_fired(0), game_hooks.bullet_hit(0, 1);
    game_hooks.game_over();
    EXPECT_EQ(game_world.game_mode, 0);
}

// Before the pools exist: loading mode, no player, the camera at its start.
TEST(GameWorld, ResetStateBeforeThePools) {
    const game_world_t saved = game_world;
    game_world.free_camera = 1;
    game_reset_state();
    EXPECT_EQ((ints{game_world.game_mode, game_world.free_camera, game_world.player == nullptr}),
              (ints{2, 0, 1}));
    EXPECT_EQ((floats{game_world.camera_pos.x, game_world.camera_pos.y, game_world.camera_pos.z,
                      game_world.camera_rot.x, game_world.camera_rot.y, game_world.camera_rot.z}),
              (floats{4, 2, 1, 0, 0, 0}));
    game_world = saved;
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
    g_hooks.trace.clear();
    game_world.bots_alive = 0, g_hooks.victory_shown = 1;
    game_logic_start_new_game();  // a second game discards the first
    EXPECT_EQ(g_hooks.trace, (strings{"snd reload plain 1.0000"}));
    EXPECT_EQ(g_hooks.victory_shown, 0);
    ASSERT_EQ(game_world.objects.count, 84);
    EXPECT_EQ(game_obj(0)->type, OBJ_PLAYER);
    for (int k = 0; k < GAME_SLOT_COUNT; k++) {
        const game_obj_t* o = game_world.slots[k];
        EXPECT_EQ(o, game_obj(k + 1));
        EXPECT_EQ((ints{o->type, o->id, o->active, o->flags}), (ints{OBJ_OTHER, k, k < 4, 1}));
    }
    // The level as placed, fingerprinted: sum over rows k of (k + 1) x (kind x 1000 + class + 3 x1
    // + 5 y1 + 7 x2 + 11 y2) for the 74 rectangles, (k + 1) x (100 type + 3 x + 7 y) for the 71
    // markers, worked out from the level tables (coordinates as floats).
    ASSERT_EQ(game_world.rects.count, 74);
    double rects = 0, marks = 0;
    for (int k = 0; k < 74; k++) {
        const game_rect_t& r = *game_rect(k);
        rects +=
            (k + 1) * (r.kind * 1000.0 + r.clip_class + 3.0 * r.x1 + 5.0 * r.y1 + 7.0 * r.x2 + 11.0 * r.y2);
    }
    for (int k = 0; k < 71; k++) {
        const game_obj_t& o = *game_obj(13 + k);
        marks += (k + 1) * (100.0 * o.type + 3.0 * o.pos.x + 7.0 * o.pos.y);
        ASSERT_EQ((floats{o.pos.z, 1.0f * o.flags}), (floats{0, 1}));
    }
    EXPECT_NEAR(rects, 1458486.5978649855, 1e-3);
    EXPECT_NEAR(marks, 4229481.176890612, 1e-3);
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
