// Weapons, bullets, health kits, respawn and the death pass.
#include "game/game_weapon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>

#include "game/game_input.h"
#include "game_fixture.h"

namespace {

class GameWeapon : public GameTest {
   protected:
    // Ticks (1-based) at which the local player fired while holding the trigger.
    static std::vector<int> hold_trigger(int ticks) {
        std::vector<int> at;
        game_world.ai_shooting_disabled = 1;
        game_input_pointer_down();
        for (int t = 1; t <= ticks; t++) {
            const size_t before = g_hooks.shots.size();
            game_tick();
            if (g_hooks.shots.size() != before) at.push_back(t);
        }
        return at;
    }
    static int count_type(int type) {
        int n = 0;
        for (int i = 0; i < game_world.objects.count; i++) n += game_obj(i)->type == type;
        return n;
    }
};

TEST_F(GameWeapon, MachineGunMagazineThenReload) {
    const std::vector<int> at = hold_trigger(340);
    ASSERT_EQ(at.size(), 20u);
    for (int k = 0; k < 18; k++) EXPECT_EQ(at[k], 60 + 12 * k);  // the start's switch, then every 12
    EXPECT_EQ(at[18], 264 + 60);                                 // 60 ticks of reload
    EXPECT_EQ(at[19], 264 + 72);
    EXPECT_EQ(count_sounds(GAME_SND_RELOAD), 1);
    EXPECT_EQ(count_sounds(GAME_SND_PLAYER_SHOT), 20);
}

TEST_F(GameWeapon, SpreadGunEveryHundredTicksSixPellets) {
    game_input_weapon_key(GAME_WKEY_SPREAD_GUN);
    EXPECT_EQ(game_obj(0)->weapon, 0);
    EXPECT_EQ(count_sounds(GAME_SND_RELOAD), 0);  // switching makes no sound
    const int before = game_world.objects.count;
    game_obj(0)->switch_timer = 60;
    game_obj(0)->cooldown = 15;
    game_world.multiplayer = 1;  // shots queue events too
    game_obj_t* p = game_obj(0);
    p->pos = kx_vec3(-29.6f, 9.6f, 0.5f);
    game_input_pointer_down();
    for (int t = 0; t < 60; t++) game_fire(0);
    EXPECT_EQ(game_world.objects.count, before + 6);
    for (int i = before; i < before + 6; i++) {
        const game_obj_t* b = game_obj(i);
        EXPECT_EQ(b->type, OBJ_BULLET);
        EXPECT_EQ(b->bullet_kind, 0);
        EXPECT_EQ(b->flags, 0);
        EXPECT_EQ(b->id, GAME_PLAYER_ID);
        EXPECT_EQ(b->radius, 0.01f);
        EXPECT_NEAR(kx_vec3_length(b->vel), 0.25f, 1e-5);
        EXPECT_NEAR(b->pos.z, 0.9f + 3 * b->vel.z, 1e-5);
        EXPECT_NEAR(b->pos.x, p->pos.x + 0.15f + 3 * b->vel.x, 1e-4);  // 0.15 right of a player facing +y
    }
    ASSERT_EQ(game_world.events.count, 6);
    EXPECT_EQ(game_world.events.items[0].code, GAME_EV_PELLET);
    EXPECT_EQ(game_world.events.items[0].owner, 7);
    EXPECT_EQ(game_world.events.items[0].sender, 7);
    EXPECT_EQ(count_sounds(GAME_SND_SHOT_AND_RELOAD), 1);
    for (int t = 0; t < 99; t++) game_fire(0);
    EXPECT_EQ(g_hooks.shots.size(), 1u);
    game_fire(0);
    EXPECT_EQ(g_hooks.shots.size(), 2u);
}

TEST_F(GameWeapon, ClickReleasedBeforeReadyIsLost) {
    game_obj_t* p = game_obj(0);
    p->fire = 1;
    p->trigger_held = 0;
    game_fire(0);  // still switching: no shot, request cleared
    EXPECT_EQ(p->fire, 0);
    EXPECT_TRUE(g_hooks.shots.empty());
    game_input_pointer_down();
    game_input_pointer_up();
    EXPECT_EQ(p->trigger_held, 0);
    EXPECT_EQ(p->fire, 1);
}

TEST_F(GameWeapon, SelectWeaponRules) {
    struct {
        int weapon, ammo, switch_timer, key;
        int e_weapon, e_ammo, e_switch, e_sound;
    } cases[] = {
        {1, 18, 0, GAME_WKEY_RELOAD, 1, 18, 0, 0},     // full magazine: nothing but ammo 18
        {1, 5, 0, GAME_WKEY_RELOAD, 1, 18, 60, 1},     // reload: sound and 60 ticks
        {1, 5, 30, GAME_WKEY_RELOAD, 1, 5, 30, 0},     // already switching: nothing
        {0, 3, 0, GAME_WKEY_RELOAD, 0, 3, 0, 0},       // R with the spread gun: nothing
        {0, 3, 0, GAME_WKEY_SPREAD_GUN, 0, 18, 0, 0},  // the same spread gun: ammo 18
        {0, 3, 0, GAME_WKEY_OTHER, 1, 18, 60, 0},      // switch without a sound
        {1, 9, 0, GAME_WKEY_OTHER, 0, 18, 60, 0},
        {0, 3, 10, GAME_WKEY_MACHINE_GUN, 1, 18, 60, 0},  // switching over a running switch
    };
    for (auto& c : cases) {
        game_obj_t* p = game_obj(0);
        p->weapon = c.weapon;
        p->ammo = c.ammo;
        p->switch_timer = c.switch_timer;
        p->cooldown = 0;
        g_hooks.sounds.clear();
        game_input_weapon_key(c.key);
        EXPECT_EQ(p->weapon, c.e_weapon) << c.weapon << " " << c.key;
        EXPECT_EQ(p->ammo, c.e_ammo) << c.weapon << " " << c.key;
        EXPECT_EQ(p->switch_timer, c.e_switch) << c.weapon << " " << c.key;
        EXPECT_EQ(p->cooldown, c.e_switch == 60 ? 15 : 0);
        EXPECT_EQ(count_sounds(GAME_SND_RELOAD), c.e_sound);
    }
}

TEST_F(GameWeapon, BotsFirstMachineGunShotStartsAReload) {
    game_obj_t* b = game_obj(1);
    ASSERT_EQ(b->weapon, 1);
    ASSERT_EQ(b->ammo, 0);
    b->fire = 1;
    const int before = game_world.objects.count;
    game_fire(1);
    EXPECT_EQ(game_world.objects.count, before + 1);
    EXPECT_EQ(game_obj(before)->flags & 0x100, 0);
    EXPECT_EQ(game_obj(before)->id, 0);
    EXPECT_EQ(b->ammo, 18);
    EXPECT_EQ(b->switch_timer, 60);
    EXPECT_EQ(count_sounds(GAME_SND_RELOAD), 1);
    EXPECT_EQ(count_sounds(GAME_SND_PLAYER_SHOT), 1);
}

class GameBullet : public GameWeapon {
   protected:
    // A bullet of shooter `id` that will be at `at` after its next move.
    static int bullet_to(vec3 at, vec3 vel, int kind, int id) {
        game_obj_t b = game_obj_create(OBJ_BULLET, 0, kx_vec3_sub(at, vel));
        b.vel = vel;
        b.bullet_kind = kind;
        b.id = id;
        b.radius = 0.01f;
        game_pool_add(&game_world.objects, b);
        return game_world.objects.count - 1;
    }
    void SetUp() override {
        GameWeapon::SetUp();
        game_world.multiplayer = 1;  // slots hold still; no respawn from the timer
        only_players();
        game_obj(1)->pos = kx_vec3(-20, 9.6f, 0.5f);  // corridor, rect 10
    }
};

TEST_F(GameBullet, HitGeometryAtBulletHeight) {
    struct {
        float dx;
        int kind;
        bool hit;
    } cases[] = {{0.0f, 1, true}, {0.57f, 1, true}, {0.57f, 0, true}, {0.59f, 1, false}, {-0.59f, 0, false}};
    for (auto& c : cases) {
        game_obj_t* t = game_obj(1);
        t->health = 60;
        t->hit_flash = 0;
        only_players();
        bullet_to(kx_vec3(-20 + c.dx, 9.6f, 0.9f), kx_vec3(0, 0.001f, 0), c.kind, 3);
        game_tick();
        EXPECT_EQ(t->health, c.hit ? 60 - (c.kind ? 3 : 6) : 60) << c.dx;
        EXPECT_EQ(count_type(OBJ_BULLET), c.hit ? 0 : 1);
        EXPECT_EQ(count_type(OBJ_FX_IMPACT), c.hit ? 1 : 0);
        if (c.hit) {
            EXPECT_EQ(t->last_attacker, 3);
            EXPECT_EQ(t->hit_flash, 10);  // the target's own countdown ran earlier in the pass
        }
    }
}

TEST_F(GameBullet, WallsBeforePlayersAndNoSelfHits) {
    // Target right beside a class-16 block (rect 38, x from 19.2).
    game_obj_t* t = game_obj(1);
    t->pos = kx_vec3(18.7f, -9.6f, 0.5f);
    bullet_to(kx_vec3(19.25f, -9.6f, 0.9f), kx_vec3(0.1f, 0, 0), 1, 3);
    game_tick();
    EXPECT_EQ(t->health, 60);
    EXPECT_EQ(count_type(OBJ_BULLET), 0);
    EXPECT_EQ(count_type(OBJ_FX_IMPACT), 1);
    EXPECT_EQ(count_sounds(GAME_SND_HIT), 1);
    // A bullet never hits its own shooter, a dead or an inactive player.
    only_players();
    t->pos = kx_vec3(-20, 9.6f, 0.5f);
    bullet_to(kx_vec3(-20, 9.6f, 0.9f), kx_vec3(0, 0.001f, 0), 1, 0);
    game_obj(2)->pos = kx_vec3(-15, 9.6f, 0.5f);
    game_obj(2)->dead = 1;
    bullet_to(kx_vec3(-15, 9.6f, 0.9f), kx_vec3(0, 0.001f, 0), 1, 3);
    game_obj(5)->pos = kx_vec3(-12, 9.6f, 0.5f);
    bullet_to(kx_vec3(-12, 9.6f, 0.9f), kx_vec3(0, 0.001f, 0), 1, 3);
    game_obj(2)->active = 1;
    game_tick();
    EXPECT_EQ(count_type(OBJ_BULLET), 3);
    EXPECT_EQ(t->health, 60);
}

TEST_F(GameBullet, LocalPlayerHitSoundsAndNoImpact) {
    game_obj_t* p = game_obj(0);
    bullet_to(kx_vec3(p->pos.x, p->pos.y, 0.9f), kx_vec3(0, 0.001f, 0), 0, 2);
    bullet_to(kx_vec3(p->pos.x, p->pos.y, 0.9f), kx_vec3(0, 0.001f, 0), 0, 2);
    game_tick();
    EXPECT_EQ(p->health, 48);
    EXPECT_EQ(count_type(OBJ_FX_IMPACT), 0);
    // Two hits in one tick: one hit sound (2-tick spacing), the player-hit sound at full gain.
    EXPECT_EQ(count_sounds(GAME_SND_HIT), 1);
    ASSERT_EQ(count_sounds(GAME_SND_PLAYER_HIT), 1);
    for (auto& s : g_hooks.sounds) {
        if (s.sound == GAME_SND_PLAYER_HIT) {
            EXPECT_EQ(s.plain, 1);
        }
    }
}

TEST_F(GameBullet, LeavingTheWorldRemovesTheBullet) {
    const int i = bullet_to(kx_vec3(9000.5f, 0, 0.9f), kx_vec3(1, 0, 0), 1, 3);
    (void)i;
    game_tick();
    EXPECT_EQ(count_type(OBJ_BULLET), 0);
    EXPECT_EQ(count_type(OBJ_FX_IMPACT), 1);
}

TEST_F(GameWeapon, HealthKitHealsEveryTakerInTheTick) {
    game_world.multiplayer = 1;
    int kit = -1;
    for (int i = 13; i < game_world.objects.count; i++)
        if (game_obj(i)->type == OBJ_HEALTHKIT) {
            kit = i;
            break;
        }
    ASSERT_GE(kit, 0);
    const vec3 k = game_obj(kit)->pos;
    game_obj(0)->pos = kx_vec3(k.x + 0.3f, k.y, 0.5f);
    game_obj(0)->health = 20;
    game_obj(1)->pos = kx_vec3(k.x - 0.3f, k.y, 0.5f);
    game_obj(1)->health = 50;
    game_obj(2)->pos = kx_vec3(k.x, k.y + 0.3f, 0.5f);  // full health: not a taker
    game_obj(2)->active = 1;
    game_tick();
    EXPECT_EQ(game_obj(0)->health, 50);
    EXPECT_EQ(game_obj(1)->health, 60);
    EXPECT_EQ(game_obj(kit)->dead, 1);
    EXPECT_EQ(game_obj(kit)->timer, 1100);
    EXPECT_EQ(count_sounds(GAME_SND_HEALTHKIT), 2);
    for (int t = 0; t < 1099; t++) game_tick();
    EXPECT_EQ(game_obj(kit)->dead, 1);
    game_tick();
    EXPECT_EQ(game_obj(kit)->dead, 0);
    EXPECT_EQ(game_obj(0)->health, 50);
    game_tick();  // back, and the player still stands on it
    EXPECT_EQ(game_obj(0)->health, 60);
}

TEST_F(GameWeapon, PlayerRespawnsAtTheChosenSpawnPoint) {
    game_world.multiplayer = 1;
    game_obj_t* p = game_obj(0);
    p->dead = 1;
    p->timer = 1;
    p->ammo = 2;
    std::srand(99);
    const int r = std::rand();
    std::srand(99);
    game_tick();
    int n = r % 10, spawn = -1;
    for (int j = 0; j < game_world.objects.count && spawn < 0; j++)
        if (game_obj(j)->type == OBJ_BOT_SPAWN && n-- == 0) spawn = j;
    EXPECT_EQ(p->dead, 0);
    EXPECT_EQ(p->pos.x, game_obj(spawn)->pos.x);
    EXPECT_EQ(p->pos.y, game_obj(spawn)->pos.y);
    EXPECT_EQ(p->pos.z, 0.5f);
    EXPECT_EQ(p->timer, 250);
    EXPECT_EQ(p->ammo, 18);
    EXPECT_EQ(p->aim_delay, 280);
    EXPECT_EQ(game_world.respawn_flash, 30);
    ASSERT_EQ(game_world.events.count, 1);
    EXPECT_EQ(game_world.events.items[0].code, GAME_EV_RESPAWNED);
    EXPECT_EQ(game_world.events.items[0].pos.x, p->pos.x);
}

TEST_F(GameWeapon, RespawnWithoutSpawnPointsStaysInPlace) {
    // Both a spawn count of 0 and a level without spawn points respawn in place.
    for (int variant = 0; variant < 2; variant++) {
        SetUp();
        game_world.multiplayer = 1;
        if (variant == 0) {
            game_world.bot_spawn_count = 0;
        } else {
            for (int i = 13; i < game_world.objects.count; i++)
                if (game_obj(i)->type == OBJ_BOT_SPAWN) game_obj(i)->type = OBJ_WAYPOINT + 100;
        }
        game_obj_t* p = game_obj(0);
        const vec3 at = p->pos;
        p->dead = 1;
        p->timer = 1;
        game_tick();
        EXPECT_EQ(p->dead, 0) << variant;
        EXPECT_EQ(p->pos.x, at.x) << variant;
        EXPECT_EQ(p->pos.y, at.y) << variant;
        EXPECT_EQ(p->timer, 250);
    }
}

TEST_F(GameWeapon, BotRespawnLeavesAnEffect) {
    game_world.ai_shooting_disabled = 1;
    game_obj_t* b = game_obj(2);
    b->dead = 1;
    b->timer = 1;
    game_tick();
    EXPECT_EQ(b->dead, 0);
    EXPECT_EQ(count_type(OBJ_FX_RESPAWN), 1);
    bool on_spawn = false;
    for (int j = 13; j < game_world.objects.count; j++)
        if (game_obj(j)->type == OBJ_BOT_SPAWN && game_obj(j)->pos.x == b->pos.x &&
            game_obj(j)->pos.y == b->pos.y)
            on_spawn = true;
    EXPECT_TRUE(on_spawn);
}

TEST_F(GameWeapon, DeathPass) {
    game_obj_t* a = game_obj(1);
    game_obj_t* b = game_obj(2);
    a->health = 0;
    a->lives = 2;
    a->vel = kx_vec3(0.1f, 0, 0);
    b->health = -3;
    b->lives = 0;
    game_death_pass();
    EXPECT_EQ(a->lives, 1);
    EXPECT_EQ(a->health, 60);
    EXPECT_EQ(a->dead, 1);
    EXPECT_EQ(a->timer, 250);
    EXPECT_EQ(b->active, 0);
    EXPECT_EQ(game_world.bots_alive, 3);
    EXPECT_EQ(count_type(OBJ_FX_EXPLOSION), 2);
    EXPECT_EQ(game_obj(game_world.objects.count - 2)->pos.x, a->pos.x - 0.1f);
    EXPECT_EQ(count_sounds(GAME_SND_EXPLOSION), 2);
    EXPECT_EQ(g_hooks.game_over, 0);

    // The local player: a life in single player; out of lives ends the game.
    game_obj_t* p = game_obj(0);
    p->health = 0;
    game_death_pass();
    EXPECT_EQ(p->lives, 8);
    EXPECT_EQ(p->dead, 1);
    EXPECT_EQ(g_hooks.game_over, 0);
    p->health = 0;
    p->lives = 0;
    game_death_pass();
    EXPECT_EQ(g_hooks.game_over, 1);

    // Multiplayer: no life lost, the death is queued with the killer and reported.
    game_world.multiplayer = 1;
    p->lives = 4;
    p->health = -1;
    p->last_attacker = 3;
    game_death_pass();
    EXPECT_EQ(p->lives, 4);
    ASSERT_EQ(game_world.events.count, 1);
    EXPECT_EQ(game_world.events.items[0].code, GAME_EV_DIED);
    EXPECT_EQ(game_world.events.items[0].killer, 3);
    EXPECT_EQ(g_hooks.deaths_reported, 1);
    EXPECT_EQ(g_hooks.last_killer, 3);
}

TEST_F(GameWeapon, VictoryTextWhenNoBotsAreLeft) {
    game_world.ai_shooting_disabled = 1;
    for (int k = 1; k <= 4; k++) {
        game_obj(k)->lives = 0;
        game_obj(k)->health = 0;
    }
    game_death_pass();  // (a tick might heal Bob first: he spawns beside a health kit)
    EXPECT_EQ(game_world.bots_alive, 0);
    game_tick();
    EXPECT_EQ(g_hooks.victory_shown, 1);
}

}  // namespace
