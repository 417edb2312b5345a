// Weapons, bullets, health kits, respawn and the death pass.
#include "game/sim/game_weapon.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "game/sim/game_input.h"
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

TEST_F(GameWeapon, SwitchAndReloadRules) {
    // weapon, ammo, switch timer, key -> weapon, ammo, switch timer, reload sounds
    const int cases[][8] = {
        {1, 18, 0, GAME_WKEY_RELOAD, 1, 18, 0, 0},     // full magazine: nothing
        {1, 17, 0, GAME_WKEY_RELOAD, 1, 18, 60, 1},    // one round short: reload, with its sound
        {1, 5, 30, GAME_WKEY_RELOAD, 1, 5, 30, 0},     // already switching: nothing
        {0, 3, 0, GAME_WKEY_SPREAD_GUN, 0, 18, 0, 0},  // the same gun: ammo 18 only
        {0, 3, 0, GAME_WKEY_OTHER, 1, 18, 60, 0},      // a switch makes no sound
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
    // target at x, bullet dx beside it (at 0.9 high, 0.4 above the target's centre), shooter -> health
    const float cases[][4] = {
        {-20, 0.57f, 3, 57},
        {-20, 0.59f, 3, 60},    // the edge of the hit box
        {18.7f, 0.55f, 3, 60},  // the block beside the target (x from 19.2) is hit first
        {-20, 0, 0, 60},        // never its own shooter (slot 1 is id 0)
    };
    game_obj_t* t = game_obj(1);
    for (auto& c : cases) {
        game_world.objects.count = 13;
        const float y = c[0] > 0 ? -9.6f : 9.6f;
        t->pos = kx_vec3(c[0], y, 0.5f), t->health = 60, t->last_attacker = 0;
        const vec3 vel = kx_vec3(c[0] > 0 ? 0.1f : 0, 0.001f, 0);
        game_pool_add(&game_world.objects,
                      game_obj_create(OBJ_BULLET, 1, kx_vec3(c[0] + c[1] - vel.x, y - vel.y, 0.9f)));
        game_obj_t* b = game_obj(13);
        b->vel = vel, b->bullet_kind = 1, b->id = static_cast<int>(c[2]), b->radius = 0.01f;
        game_tick();
        const int hit = c[3] < 60, stopped = hit || c[0] > 0;
        EXPECT_EQ((ints{t->health, t->last_attacker, count_type(OBJ_BULLET), count_type(OBJ_FX_IMPACT)}),
                  (ints{static_cast<int>(c[3]), hit * 3, !stopped, stopped}))
            << c[0] << "+" << c[1];
    }
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
    for (int t = 0; t < 1100; t++) game_tick();
    EXPECT_EQ((ints{k->dead, game_obj(0)->health}), (ints{0, 50}));
    game_tick();  // back, with the player still on it
    EXPECT_EQ(game_obj(0)->health, 60);
}

TEST_F(GameWeapon, PlayerRespawnsAtTheDrawnSpawnPointOrInPlaceWithoutOne) {
    for (int spawns : {10, 0}) {  // a spawn count of 0 must not divide by zero
        SetUp();
        game_world.multiplayer = 1, game_world.bot_spawn_count = spawns;
        game_obj_t* p = game_obj(0);
        p->dead = 1, p->timer = 1, p->ammo = 2;
        std::srand(99);
        int n = std::rand() % 10, spawn = 13;
        std::srand(99);
        for (; spawns; spawn++)
            if (game_obj(spawn)->type == OBJ_BOT_SPAWN && n-- == 0) break;
        const vec3 at = spawns ? game_obj(spawn)->pos : p->pos;
        game_tick();
        EXPECT_EQ(floats({p->pos.x, p->pos.y, p->pos.z}), floats({at.x, at.y, 0.5f})) << spawns;
        EXPECT_EQ((ints{p->dead, p->timer, p->ammo, p->aim_delay}), (ints{0, 250, 18, spawns ? 280 : 0}));
        ASSERT_EQ(game_world.events.count, 1);
        EXPECT_EQ(game_world.events.items[0].code, GAME_EV_RESPAWNED);
    }
}

TEST_F(GameWeapon, DeathPass) {
    game_obj_t *a = game_obj(1), *b = game_obj(2), *p = game_obj(0);
    a->health = 0, a->lives = 2;
    b->health = -3, b->lives = 0;
    game_death_pass();
    EXPECT_EQ((ints{a->lives, a->health, a->dead, a->timer, b->active, game_world.bots_alive}),
              (ints{1, 60, 1, 250, 0, 3}));
    EXPECT_EQ((ints{count_type(OBJ_FX_EXPLOSION), count_sounds(GAME_SND_EXPLOSION)}), (ints{2, 2}));
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
