// Weapons, bullets, health kits, respawn and the death pass.
#include "game/game_weapon.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "game/game_input.h"
#include "game_fixture.h"

namespace {

class GameWeapon : public GameTest {};

TEST_F(GameWeapon, ShotTimesWithTheTriggerHeld) {
    // The start's 60-tick switch, then the cooldown; the machine gun reloads for
    // 60 ticks after its 18th round, and switching to the spread gun is silent.
    ints mg = {324, 336};
    for (int k = 0; k < 18; k++) mg.insert(mg.end() - 2, 60 + 12 * k);
    const std::pair<int, ints> cases[] = {{-1, mg}, {GAME_WKEY_SPREAD_GUN, {60, 160, 260}}};
    for (auto& [key, expected] : cases) {
        SetUp();
        game_world.ai_shooting_disabled = 1;
        if (key >= 0) game_input_weapon_key(key);
        game_input_pointer_down();
        ints at;
        for (int t = 1; t <= 340; t++) {
            const size_t before = g_hooks.shots.size();
            game_tick();
            if (g_hooks.shots.size() != before) at.push_back(t);
        }
        EXPECT_EQ(at, expected);
        EXPECT_EQ(count_sounds(GAME_SND_RELOAD), key < 0 ? 1 : 0);
    }
}

TEST_F(GameWeapon, WhatOneShotSpawns) {
    // shooter, weapon, ammo -> bullets, flags, event, sound; a bot's magazine starts empty
    const int cases[][7] = {{0, 0, 5, 6, 0, GAME_EV_PELLET, GAME_SND_SHOT_AND_RELOAD},
                            {0, 1, 1, 1, 0x100, GAME_EV_MG_SHOT, GAME_SND_PLAYER_SHOT},
                            {1, 1, 0, 1, 0, 0, GAME_SND_PLAYER_SHOT},
                            {2, 0, 0, 6, 0, 0, GAME_SND_SINGLE_SHOT}};
    for (auto& c : cases) {
        SetUp();
        game_world.multiplayer = 1;  // only the local player's shots queue events
        game_obj_t* o = game_obj(c[0]);
        o->weapon = c[1], o->ammo = c[2], o->switch_timer = o->cooldown = 0, o->fire = 1;
        const int first = game_world.objects.count;
        game_fire(c[0]);
        ASSERT_EQ(game_world.objects.count - first, c[3]) << c[0];
        for (int i = first; i < game_world.objects.count; i++) {
            const game_obj_t* b = game_obj(i);
            EXPECT_EQ((ints{b->type, b->bullet_kind, b->flags, b->id}),
                      (ints{OBJ_BULLET, c[1], c[4], o->id}));
            EXPECT_NEAR(kx_vec3_length(b->vel), 0.25f, 1e-5);
        }
        ASSERT_EQ(game_world.events.count, c[5] ? c[3] : 0);
        for (const game_event_t* e = game_world.events.items;
             e < game_world.events.items + game_world.events.count; e++)
            EXPECT_EQ((ints{e->code, e->owner, e->sender}), (ints{c[5], 7, 7}));
        EXPECT_EQ(count_sounds(c[6]), 1);
        const bool reload = c[1] == 1;  // the emptied magazine is reloaded, with the sound
        EXPECT_EQ((ints{o->ammo, o->switch_timer, count_sounds(GAME_SND_RELOAD)}),
                  (ints{reload ? 18 : c[2], reload ? 60 : 0, reload}));
    }
}

TEST_F(GameWeapon, ClickReleasedBeforeTheWeaponIsReadyIsLost) {
    game_obj_t* p = game_obj(0);
    game_input_pointer_down();
    game_input_pointer_up();
    EXPECT_EQ((ints{p->trigger_held, p->fire}), (ints{0, 1}));
    game_fire(0);  // still switching: no shot, and the request is gone
    EXPECT_EQ((ints{p->fire, static_cast<int>(g_hooks.shots.size())}), (ints{0, 0}));
}

TEST_F(GameWeapon, SwitchAndReloadRules) {
    // weapon, ammo, switch timer, key -> weapon, ammo, switch timer, reload sounds
    const int cases[][8] = {
        {1, 18, 0, GAME_WKEY_RELOAD, 1, 18, 0, 0},        // full magazine: nothing
        {1, 17, 0, GAME_WKEY_RELOAD, 1, 18, 60, 1},       // one round short: reload, with its sound
        {1, 5, 30, GAME_WKEY_RELOAD, 1, 5, 30, 0},        // already switching: nothing
        {0, 3, 0, GAME_WKEY_RELOAD, 0, 3, 0, 0},          // R with the spread gun: nothing
        {0, 3, 0, GAME_WKEY_SPREAD_GUN, 0, 18, 0, 0},     // the same spread gun: ammo 18 only
        {0, 3, 0, GAME_WKEY_OTHER, 1, 18, 60, 0},         // a switch makes no sound
        {1, 9, 0, GAME_WKEY_OTHER, 0, 18, 60, 0},         //
        {0, 3, 10, GAME_WKEY_MACHINE_GUN, 1, 18, 60, 0},  // switching over a running switch
    };
    game_obj_t* p = game_obj(0);
    for (auto& c : cases) {
        p->weapon = c[0], p->ammo = c[1], p->switch_timer = c[2], p->cooldown = 0;
        g_hooks.sounds.clear();
        game_input_weapon_key(c[3]);
        EXPECT_EQ((ints{p->weapon, p->ammo, p->switch_timer, p->cooldown, count_sounds(GAME_SND_RELOAD)}),
                  (ints{c[4], c[5], c[6], c[6] == 60 ? 15 : 0, c[7]}))
            << c[0] << " " << c[1] << " key " << c[3];
    }
}

TEST_F(GameWeapon, BulletsHitAtBulletHeightWallsFirstNeverTheShooter) {
    game_world.multiplayer = 1;  // slots hold still and do not respawn by themselves
    // target at x, bullet dx beside it (at 0.9 high, 0.4 above the target's centre) -> health
    struct {
        int target;
        float x, dx;
        int kind, shooter, dead, health;
    } cases[] = {
        {1, -20, 0, 1, 3, 0, 57},       {1, -20, 0.57f, 1, 3, 0, 57},
        {1, -20, 0.57f, 0, 3, 0, 54},                                   // pellet: 6
        {1, -20, 0.59f, 1, 3, 0, 60},   {1, -20, -0.59f, 0, 3, 0, 60},  // misses
        {1, 18.7f, 0.55f, 1, 3, 0, 60},  // the block beside the target (x from 19.2) is hit first
        {1, -20, 0, 1, 0, 0, 60},        // never its own shooter (slot 0)
        {1, -20, 0, 1, 3, 1, 60},        // nor a dead player
        {5, -15, 0, 1, 3, 0, 60},        // nor an inactive slot
        {0, -20, 0, 0, 3, 0, 54},        // the local player: no impact on its own screen
    };
    for (auto& c : cases) {
        only_players();
        game_obj_t* t = game_obj(c.target);
        const float y = c.x > 0 ? -9.6f : 9.6f;
        t->pos = kx_vec3(c.x, y, 0.5f);
        t->health = 60, t->hit_flash = t->last_attacker = game_world.hit_sound_timer = 0, t->dead = c.dead;
        bullet_to(kx_vec3(c.x + c.dx, y, 0.9f), kx_vec3(c.x > 0 ? 0.1f : 0, 0.001f, 0), c.kind, c.shooter);
        g_hooks.sounds.clear();
        game_tick();
        EXPECT_EQ(count_sounds(GAME_SND_PLAYER_HIT), c.target ? 0 : 1);
        const int hit = c.health < 60, stopped = hit || c.x > 0;
        EXPECT_EQ((ints{t->health, t->last_attacker, t->hit_flash, count_type(OBJ_BULLET),
                        count_type(OBJ_FX_IMPACT)}),
                  (ints{c.health, hit * c.shooter, hit * 10, !stopped, stopped && c.target}))
            << c.x << "+" << c.dx << " kind " << c.kind;
        t->dead = 0;
    }
    only_players();  // out of the world: removed with an impact
    bullet_to(kx_vec3(9000.5f, 0, 0.9f), kx_vec3(1, 0, 0), 1, 3);
    game_tick();
    EXPECT_EQ((ints{count_type(OBJ_BULLET), count_type(OBJ_FX_IMPACT)}), (ints{0, 1}));
}

TEST_F(GameWeapon, HealthKitHealsEveryTakerInTheTick) {
    game_world.multiplayer = 1;
    int kit = 13;
    while (game_obj(kit)->type != OBJ_HEALTHKIT) kit++;
    game_obj_t* k = game_obj(kit);
    const float taker[3][3] = {{0.3f, 0, 20}, {-0.3f, 0, 50}, {0, 0.3f, 60}};  // the last is not hurt
    for (int j = 0; j < 3; j++) {
        game_obj(j)->pos = kx_vec3(k->pos.x + taker[j][0], k->pos.y + taker[j][1], 0.5f);
        game_obj(j)->health = static_cast<int>(taker[j][2]);
    }
    game_tick();
    EXPECT_EQ((ints{game_obj(0)->health, game_obj(1)->health, k->dead, k->timer}), (ints{50, 60, 1, 1100}));
    EXPECT_EQ(count_sounds(GAME_SND_HEALTHKIT), 2);
    for (int t = 0; t < 1099; t++) game_tick();
    EXPECT_EQ(k->dead, 1);
    game_tick();
    EXPECT_EQ((ints{k->dead, game_obj(0)->health}), (ints{0, 50}));
    game_tick();  // back, with the player still on it
    EXPECT_EQ(game_obj(0)->health, 60);
}

TEST_F(GameWeapon, PlayerRespawnsAtTheDrawnSpawnPointOrInPlaceWithoutOne) {
    // 0: ten spawn points; 1: a spawn count of 0; 2: no spawn point in the level.
    for (int variant = 0; variant < 3; variant++) {
        SetUp();
        game_world.multiplayer = 1;
        if (variant == 1) game_world.bot_spawn_count = 0;
        for (int i = 13; variant == 2 && i < game_world.objects.count; i++)
            if (game_obj(i)->type == OBJ_BOT_SPAWN) game_obj(i)->type = OBJ_WAYPOINT + 100;
        game_obj_t* p = game_obj(0);
        p->dead = 1, p->timer = 1, p->ammo = 2;
        game_world.respawn_flash = 0;
        std::srand(99);
        int n = std::rand() % 10, spawn = 13;
        std::srand(99);
        for (; variant == 0; spawn++)
            if (game_obj(spawn)->type == OBJ_BOT_SPAWN && n-- == 0) break;
        const vec3 at = variant == 0 ? game_obj(spawn)->pos : p->pos;
        game_tick();
        EXPECT_EQ(floats({p->pos.x, p->pos.y, p->pos.z}), floats({at.x, at.y, 0.5f})) << variant;
        EXPECT_EQ((ints{p->dead, p->timer, p->ammo, p->aim_delay, game_world.respawn_flash}),
                  (ints{0, 250, 18, variant == 0 ? 280 : 0, 30}))
            << variant;
        ASSERT_EQ(game_world.events.count, 1);
        EXPECT_EQ(floats({1.0f * game_world.events.items[0].code, game_world.events.items[0].pos.x}),
                  floats({GAME_EV_RESPAWNED, p->pos.x}));
    }
}

TEST_F(GameWeapon, BotRespawnsOnASpawnPointWithAnEffectForThirtyTicks) {
    game_world.ai_shooting_disabled = 1;
    game_obj_t* b = game_obj(2);
    b->dead = 1, b->timer = 1;
    game_tick();
    EXPECT_EQ(b->dead, 0);
    EXPECT_GE(marker_at(OBJ_BOT_SPAWN, b->pos.x, b->pos.y), 0);
    // The effect's age starts at its type code (6); it goes once past 35, counting
    // the tick it appeared in.
    for (int t = 0; t < 28; t++) game_tick();
    EXPECT_EQ(count_type(OBJ_FX_RESPAWN), 1);
    game_tick();
    EXPECT_EQ(count_type(OBJ_FX_RESPAWN), 0);
}

TEST_F(GameWeapon, DeathPass) {
    game_obj_t *a = game_obj(1), *b = game_obj(2), *p = game_obj(0);
    a->health = 0, a->lives = 2, a->vel = kx_vec3(0.1f, 0, 0);
    b->health = -3, b->lives = 0;
    game_death_pass();
    EXPECT_EQ((ints{a->lives, a->health, a->dead, a->timer, b->active, game_world.bots_alive}),
              (ints{1, 60, 1, 250, 0, 3}));
    EXPECT_EQ((ints{count_type(OBJ_FX_EXPLOSION), count_sounds(GAME_SND_EXPLOSION)}), (ints{2, 2}));
    EXPECT_EQ(game_obj(game_world.objects.count - 2)->pos.x, a->pos.x - 0.1f);
    // The local player loses a life in single player; out of lives ends the game.
    p->health = 0;
    game_death_pass();
    EXPECT_EQ((ints{p->lives, p->dead, g_hooks.game_over}), (ints{8, 1, 0}));
    p->health = p->lives = 0;
    game_death_pass();
    EXPECT_EQ(g_hooks.game_over, 1);
    // Multiplayer: no life lost; the death is queued with the killer and reported.
    game_world.multiplayer = 1;
    p->lives = 4, p->health = -1, p->last_attacker = 3;
    game_death_pass();
    ASSERT_EQ(game_world.events.count, 1);
    const game_event_t& e = game_world.events.items[0];
    EXPECT_EQ((ints{p->lives, e.code, e.killer, g_hooks.last_killer}), (ints{4, GAME_EV_DIED, 3, 3}));
    // The last bots out: the victory text. (A tick could heal Bob first: he spawns beside a health kit.)
    for (int k : {1, 3, 4}) game_obj(k)->lives = game_obj(k)->health = 0;
    game_death_pass();
    EXPECT_EQ(game_world.bots_alive, 0);
    game_tick();
    EXPECT_EQ(g_hooks.victory_shown, 1);
}

}  // namespace
