// New-game setup: the level in the pools, the bots, the player's start.
#include <gtest/gtest.h>

#include "game/game_bot.h"
#include "game/game_level.h"
#include "game_fixture.h"

namespace {

class GameSetup : public GameTest {};

void expect_fresh_game() {
    ASSERT_EQ(game_world.objects.count, 84);
    ASSERT_EQ(game_world.rects.count, GAME_LEVEL_RECT_COUNT);
    for (int r = 0; r < GAME_LEVEL_RECT_COUNT; r++) {
        EXPECT_EQ(game_rect(r)->kind, game_level_rects[r].kind);
        EXPECT_EQ(game_rect(r)->x2, game_level_rects[r].x2);
    }
    EXPECT_EQ(game_obj(0)->type, OBJ_PLAYER);
    for (int k = 0; k < 12; k++) {
        EXPECT_EQ(game_obj(k + 1)->type, OBJ_OTHER);
        EXPECT_EQ(game_obj(k + 1)->id, k);
        EXPECT_EQ(game_world.slots[k], game_obj(k + 1));
    }
    int counts[32] = {};
    for (int m = 0; m < GAME_LEVEL_MARKER_COUNT; m++) {
        const game_obj_t* o = game_obj(13 + m);
        EXPECT_EQ(o->type, game_level_markers[m].type);
        EXPECT_EQ(o->pos.x, game_level_markers[m].x);
        EXPECT_EQ(o->pos.z, 0);
        EXPECT_EQ(o->flags, 1);
        counts[o->type]++;
    }
    EXPECT_EQ(counts[OBJ_PLAYER_SPAWN], 1);
    EXPECT_EQ(counts[OBJ_BOT_SPAWN], 10);
    EXPECT_EQ(counts[OBJ_WAYPOINT], 50);
    EXPECT_EQ(counts[OBJ_HEALTHKIT], 10);

    struct bot_t {
        float x, y;
        int weapon;
    } bots[4] = {{-14.4f, 16.8f, 1}, {-39.2f, -6.4f, 0}, {-29.6f, -24, 1}, {9.6f, -2.4f, 0}};
    for (int k = 1; k <= 4; k++) {
        const game_obj_t* b = game_obj(k);
        EXPECT_EQ(b->active, 1);
        EXPECT_EQ(b->pos.x, bots[k - 1].x);
        EXPECT_EQ(b->pos.y, bots[k - 1].y);
        EXPECT_EQ(b->pos.z, 0.5f);
        EXPECT_EQ(b->weapon, bots[k - 1].weapon);
        EXPECT_EQ(b->lives, 3);
        EXPECT_EQ(b->health, 60);
        EXPECT_EQ(b->ammo, 0);
        EXPECT_EQ(game_obj(b->waypoint)->type, OBJ_WAYPOINT);
        EXPECT_EQ(b->waypoint, game_nearest_waypoint(k, -1, -1));
    }
    for (int k = 5; k <= 12; k++) {
        EXPECT_EQ(game_obj(k)->active, 0);
        EXPECT_EQ(game_obj(k)->pos.x, 0);
        EXPECT_EQ(game_obj(k)->pos.z, 0.5f);
    }
    const game_obj_t* p = game_obj(0);
    EXPECT_EQ(game_world.player, p);
    EXPECT_EQ(p->id, GAME_PLAYER_ID);
    EXPECT_EQ(p->active, 1);
    EXPECT_EQ(p->pos.x, -29.6071f);
    EXPECT_EQ(p->pos.y, 9.6f);
    EXPECT_EQ(p->pos.z, 0.5f);
    EXPECT_EQ(p->lives, 9);
    EXPECT_EQ(p->health, 60);
    EXPECT_EQ(p->area, 1);
    EXPECT_EQ(p->weapon, 1);
    EXPECT_EQ(p->ammo, 18);
    EXPECT_EQ(p->switch_timer, 60);
    EXPECT_EQ(p->cooldown, 15);
    EXPECT_EQ(game_world.bots_alive, 4);
    EXPECT_EQ(game_world.bot_spawn_count, 10);
    EXPECT_EQ(game_world.respawn_flash, 30);
}

TEST_F(GameSetup, BuildsTheLevelAndTheStarts) { expect_fresh_game(); }

TEST_F(GameSetup, SecondGameDiscardsTheFirstAndKeepsFlags) {
    game_world.ai_shooting_disabled = 1;
    game_world.debug_draw = 1;
    for (int t = 0; t < 500; t++) game_tick();
    game_obj(0)->lives = 2;
    add_obj(OBJ_BULLET, kx_vec3(0, 0, 1));
    game_logic_start_new_game();
    expect_fresh_game();
    EXPECT_EQ(game_world.ai_shooting_disabled, 1);
    EXPECT_EQ(game_world.debug_draw, 1);
    ASSERT_EQ(count_sounds(GAME_SND_RELOAD), 1);
    EXPECT_EQ(g_hooks.sounds.back().plain, 1);
    EXPECT_EQ(g_hooks.victory_shown, 0);
}

TEST_F(GameSetup, FirstTickFindsThePlayersRealArea) {
    game_tick();
    EXPECT_EQ(game_obj(0)->area, 9);  // the spawn room, not rectangle 1
}

}  // namespace
