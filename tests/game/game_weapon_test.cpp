// Weapons, bullets, health kits, effects, respawn and the death pass, with the
// numbers worked out by hand: pellet and bullet vectors from scripted random
// numbers, damage per shot, the tick of each hit, sound gains by distance.
#include "game/sim/game_weapon.h"

#include <gtest/gtest.h>

#include "game/sim/game_input.h"
#include "game_fixture.h"

namespace {

class GameWeapon : public GameTest {};

const float PI_2 = static_cast<float>(M_PI / 2);

// The player at the origin facing +y; the camera in its eyes, 0.5 above the gun's sound.
TEST_F(GameWeapon, SpreadGunMakesSixPelletsYawDrawFirstAndQueuesThem) {
    game_world.multiplayer = 1;
    game_obj_t* p = bare_player(0, 0, 0);
    p->weapon = 0, p->fire = 1;
    // rand() mod 100 for yaw then pitch of each pellet -> velocity and start (0.15 right, 3 velocities ahead)
    // clang-format off
    const struct {
        int ry, rp;
        vec3 vel, pos;
    } pellets[] = {
        {0, 0, {0.008743f, 0.249694f, -0.008748f}, {0.176229f, 0.749082f, 0.873755f}},
        {99, 99, {-0.008568f, 0.249706f, 0.008573f}, {0.124295f, 0.749118f, 0.925720f}},
        {0, 99, {0.008743f, 0.249700f, 0.008573f}, {0.176229f, 0.749100f, 0.925720f}},
        {99, 0, {-0.008568f, 0.249700f, -0.008748f}, {0.124296f, 0.749100f, 0.873755f}},
        {50, 50, {0, 0.25f, 0}, {0.15f, 0.75f, 0.9f}},
        {125, 375, {0.004374f, 0.249923f, 0.004375f}, {0.163122f, 0.749770f, 0.913124f}},  // 25, 75
    };
    // clang-format on
    rand_script({0, 0, 99, 99, 0, 99, 99, 0, 50, 50, 125, 375});
    game_fire(0);
    EXPECT_EQ(rand_calls(), 12);
    EXPECT_EQ(g_hooks.trace, (strings{"shot 0", "snd shotreload 0.9975"}));
    EXPECT_EQ((ints{p->cooldown, p->fire, game_world.objects.count, game_world.events.count}),
              (ints{100, 0, 19, 6}));
    for (int k = 0; k < 6; k++) {
        const game_obj_t* b = game_obj(13 + k);
        const game_event_t& e = game_world.events.items[k];
        SCOPED_TRACE(k);
        EXPECT_VEC(b->vel, pellets[k].vel);
        EXPECT_VEC(b->pos, pellets[k].pos);
        EXPECT_EQ((ints{b->type, b->bullet_kind, b->flags, b->id}), (ints{OBJ_BULLET, 0, 0, GAME_PLAYER_ID}));
        EXPECT_FLOAT_EQ(b->radius, 0.01f);
        EXPECT_EQ((ints{e.code, e.owner, e.sender}), (ints{GAME_EV_PELLET, 7, 7}));
        EXPECT_VEC(e.pos, pellets[k].pos);
        EXPECT_VEC(e.vel, pellets[k].vel);
    }
}

TEST_F(GameWeapon, MachineGunBulletsOfThePlayerAndOfABot) {
    game_world.multiplayer = 1;
    game_obj_t* p = bare_player(0, 0, 0);
    p->weapon = 1, p->ammo = 18, p->fire = 1;
    rand_script({0, 99, 50, 50});
    game_fire(0);
    const game_obj_t* b = game_obj(13);
    EXPECT_VEC(b->vel, kx_vec3(0.003125f, 0.249962f, 0.003062f));
    EXPECT_VEC(b->pos, kx_vec3(0.160936f, 0.874866f, 0.910718f));  // 3.5 velocities ahead
    EXPECT_EQ((ints{b->bullet_kind, b->flags, b->id, p->ammo, p->cooldown}), (ints{1, 0x100, 1000, 17, 12}));
    ASSERT_EQ(game_world.events.count, 1);
    EXPECT_EQ(game_world.events.items[0].code, GAME_EV_MG_SHOT);

    // Slot 1 (id 0) at (2, 3) facing -x: no offset to the side, no 0x100, no event.
    game_obj_t* bot = game_obj(1);
    bot->pos = kx_vec3(2, 3, 0.5f), bot->rot = kx_vec3(PI_2, PI_2, 0);
    bot->weapon = 1, bot->ammo = 1, bot->fire = 1, bot->cooldown = bot->switch_timer = 0;
    game_fire(1);
    const game_obj_t* c = game_obj(14);
    EXPECT_VEC(c->vel, kx_vec3(-0.25f, 0, 0));
    EXPECT_VEC(c->pos, kx_vec3(1.125f, 3, 0.9f));
    EXPECT_EQ((ints{c->flags, c->id, game_world.events.count}), (ints{0, 0, 1}));
    // Its last round starts a reload at once, heard where the bot stands (13.25 from the camera).
    EXPECT_EQ((ints{bot->ammo, bot->switch_timer, bot->cooldown}), (ints{18, 60, 15}));
    EXPECT_EQ(g_hooks.trace, (strings{"shot 0", "snd playershot 0.9975", "shot 1", "snd playershot 0.8830",
                                      "snd reload 0.8830"}));
    EXPECT_EQ(rand_calls(), 4);
}

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
    // clang-format off
    const struct {
        int weapon, ammo, switch_timer, key;
        ints want;  // weapon, ammo, switch_timer, cooldown, reload sounds
    } cases[] = {
        {1, 18, 0,  GAME_WKEY_RELOAD,      {1, 18, 0, 0, 0}},
        {1, 17, 0,  GAME_WKEY_RELOAD,      {1, 18, 60, 15, 1}},
        {1, 5,  30, GAME_WKEY_RELOAD,      {1, 5, 30, 0, 0}},
        {0, 3,  0,  GAME_WKEY_RELOAD,      {0, 3, 0, 0, 0}},
        {0, 3,  0,  GAME_WKEY_SPREAD_GUN,  {0, 18, 0, 0, 0}},
        {0, 3,  0,  GAME_WKEY_OTHER,       {1, 18, 60, 15, 0}},
        {1, 3,  0,  GAME_WKEY_OTHER,       {0, 18, 60, 15, 0}},
        {0, 3,  0,  GAME_WKEY_MACHINE_GUN, {1, 18, 60, 15, 0}},
    };
    // clang-format on
    game_obj_t* p = game_obj(0);
    for (auto& c : cases) {
        p->weapon = c.weapon, p->ammo = c.ammo, p->switch_timer = c.switch_timer, p->cooldown = 0;
        g_hooks.sounds.clear();
        game_input_weapon_key(c.key);
        EXPECT_EQ((ints{p->weapon, p->ammo, p->switch_timer, p->cooldown, count_sounds(GAME_SND_RELOAD)}),
                  c.want)
            << c.weapon << " " << c.ammo << " key " << c.key;
    }
}

// A shot from the origin at slot 1 standing 3 units ahead, all random draws 50 (no spread).
TEST_F(GameWeapon, ShotAtAStandingTargetThreeUnitsAhead) {
    // clang-format off
    const struct {
        int weapon, health;
        int hit_tick, health_after, dead_after;
        float hit_gain_at_y;  // where the bullet is when it hits
    } cases[] = {
        {.weapon = 0, .health = 60, .hit_tick = 7, .health_after = 24, .dead_after = 0,
         .hit_gain_at_y = 2.5f},
        {.weapon = 1, .health = 60, .hit_tick = 7, .health_after = 57, .dead_after = 0,
         .hit_gain_at_y = 2.625f},
        {.weapon = 0, .health = 36, .hit_tick = 7, .health_after = 60, .dead_after = 1,
         .hit_gain_at_y = 2.5f},
    };
    // clang-format on
    for (auto& c : cases) {
        SetUp();
        SCOPED_TRACE(c.weapon * 100 + c.health);
        open_floor();
        game_world.multiplayer = 1;  // the slot stands still and shoots nothing
        game_obj_t* p = bare_player(0, 0, 0);
        p->weapon = c.weapon, p->ammo = 18, p->fire = 1;
        game_obj_t* t = game_obj(1);
        t->pos = kx_vec3(0, 3, 0.5f), t->vel = t->wish_vel = kx_vec3(0, 0, 0), t->health = c.health;
        rand_script({50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50, 50});
        ints flash;
        int hit_at = 0;
        for (int tick = 1; tick <= 18; tick++) {
            game_tick();
            if (!hit_at && t->hit_flash) hit_at = tick;
            if (hit_at) flash.push_back(t->hit_flash);
        }
        EXPECT_EQ(hit_at, c.hit_tick);
        EXPECT_EQ(flash, (ints{10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 0}));
        // In a network game a death costs the slot no life; its respawn comes from the network.
        EXPECT_EQ((ints{t->health, t->dead, t->lives, t->last_attacker, count_type(OBJ_BULLET)}),
                  (ints{c.health_after, c.dead_after, 3, GAME_PLAYER_ID, 0}));
        const int n = c.weapon == 0 ? 6 : 1;
        const std::string gain =
            fmt_gain(1.0f / (1.0f + 0.01f * (0.0225f + c.hit_gain_at_y * c.hit_gain_at_y + 0.01f)));
        strings want = {"shot 0", c.weapon == 0 ? "snd shotreload 0.9975" : "snd playershot 0.9975",
                        "hit 1 1000", "snd hit " + gain};
        for (int k = 1; k < n; k++) want.push_back("hit 1 1000");  // one hit sound in 2 ticks
        if (c.dead_after) want.push_back("snd explosion " + fmt_gain(1 / (1 + 0.01f * (9 + 0.25f))));
        EXPECT_EQ(g_hooks.trace, want);
        // An impact per bullet where it was one tick before the hit (they live 67 ticks),
        // and an explosion where the slot died.
        const int fx = find_type(OBJ_FX_IMPACT);
        ASSERT_GE(fx, 0);
        EXPECT_VEC(game_obj(fx)->pos, kx_vec3(0.15f, c.hit_gain_at_y - 0.25f, 0.9f));
        EXPECT_EQ((ints{count_type(OBJ_FX_IMPACT), count_type(OBJ_FX_EXPLOSION)}), (ints{n, c.dead_after}));
    }
}

// Bullets placed in the open a step short of their target, flying +x at 0.1 per tick.
TEST_F(GameWeapon, WhoABulletHitsAndTheHitSoundSpacing) {
    // clang-format off
    const struct {
        int target;  // object hit at (0, 0, 0.5)
        int dead, active, bullet_id;
        float dz;  // bullet height above 0.9
        bool hit;
    } cases[] = {
        {.target = 1, .dead = 0, .active = 1, .bullet_id = 3, .dz = 0, .hit = true},
        {.target = 1, .dead = 1, .active = 1, .bullet_id = 3, .dz = 0, .hit = false},
        {.target = 1, .dead = 0, .active = 0, .bullet_id = 3, .dz = 0, .hit = false},
        {.target = 1, .dead = 0, .active = 1, .bullet_id = 0, .dz = 0, .hit = false},  // its own bullet
        {.target = 1, .dead = 0, .active = 1, .bullet_id = 3, .dz = 0.15f, .hit = true},  // 0.55^2 < 0.5
        {.target = 1, .dead = 0, .active = 1, .bullet_id = 3, .dz = 0.32f, .hit = false},  // 0.72^2 > 0.5
        {.target = 0, .dead = 0, .active = 1, .bullet_id = 3, .dz = 0, .hit = true},
    };
    // clang-format on
    for (auto& c : cases) {
        SetUp();
        SCOPED_TRACE(c.target * 1000 + c.dead * 100 + c.active * 10 + c.bullet_id);
        open_floor();
        game_world.multiplayer = 1;
        bare_player(-20, -20, 0);
        for (int k = 1; k <= 4; k++) game_obj(k)->active = 0;
        game_obj_t* t = game_obj(c.target);
        t->pos = kx_vec3(0, 0, 0.5f), t->dead = c.dead, t->active = c.active, t->timer = 1000;
        if (c.target == 0) game_world.camera_pos = kx_vec3(0, 0, 1);
        game_obj_t b = game_obj_create(OBJ_BULLET, 0, kx_vec3(-0.1f, 0, 0.9f + c.dz));
        b.vel = kx_vec3(0.1f, 0, 0), b.bullet_kind = 1, b.id = c.bullet_id, b.radius = 0.01f;
        game_pool_add(&game_world.objects, b);
        game_tick();
        EXPECT_EQ(t->health, c.hit ? 57 : 60);
        EXPECT_EQ(count_type(OBJ_BULLET), c.hit ? 0 : 1);
        EXPECT_EQ(count_type(OBJ_FX_IMPACT), c.hit && c.target != 0 ? 1 : 0);
        if (c.target == 0) {  // the local player hears its own hit, at full gain, and no impact shows
            EXPECT_EQ(g_hooks.trace, (strings{"hit 0 3", "snd hit 0.9999", "snd playerhit plain 1.0000"}));
        }
    }
    // Hits in ticks 1, 2 and 3 and a wall in tick 4: the hit sound at most every 2 ticks.
    SetUp();
    open_floor({game_rect_make(RECT_BLOCK, CLIP_SOLID, 4.5f, -10, 5.5f, 10),
                game_rect_make(RECT_BLOCK, CLIP_LOW, 2.5f, -10, 3.5f, 10)});  // shots pass over the low one
    game_world.multiplayer = 1;
    bare_player(-20, -20, 0);
    game_obj(1)->pos = kx_vec3(0, 0, 0.5f);
    for (int k = 0; k < 4; k++) {  // the first three reach the slot in ticks 1, 2, 3, the last the wall in 5
        game_obj_t b = game_obj_create(OBJ_BULLET, 0, kx_vec3(k < 3 ? -0.75f - 0.2f * k : 1.15f, 0, 0.9f));
        b.vel = kx_vec3(k < 3 ? 0.2f : 0.7f, 0, 0), b.bullet_kind = 1, b.id = 9, b.radius = 0.01f;
        game_pool_add(&game_world.objects, b);
    }
    for (int tick = 1; tick <= 5; tick++) {
        game_tick();
        trace("tick " + std::to_string(tick));
    }
    // Heard from the player at (-20, -20, 1): the slot's hits at (-0.55, 0, 0.9), the wall's at (4.65, 0,
    // 0.9).
    const std::string at_slot = "snd hit " + fmt_gain(1 / (1 + 0.01f * 778.3125f));
    EXPECT_EQ(g_hooks.trace,
              (strings{"hit 1 9", at_slot, "tick 1", "hit 1 9", "tick 2", "hit 1 9", at_slot, "tick 3",
                       "tick 4", "snd hit " + fmt_gain(1 / (1 + 0.01f * 1007.6325f)), "tick 5"}));
    int wall_fx = -1;
    for (int i = 13; i < game_world.objects.count; i++)
        if (game_obj(i)->type == OBJ_FX_IMPACT && game_obj(i)->pos.x > 3) wall_fx = i;
    ASSERT_GE(wall_fx, 0);
    EXPECT_VEC(game_obj(wall_fx)->pos, kx_vec3(3.95f, 0, 0.9f));  // one step back from the wall
    EXPECT_EQ((ints{game_obj(1)->health, count_type(OBJ_BULLET), count_type(OBJ_FX_IMPACT)}),
              (ints{51, 0, 4}));
}

TEST_F(GameWeapon, EffectsLiveTheirTicks) {
    // clang-format off
    const struct {
        int type, ticks;
    } cases[] = {{OBJ_FX_IMPACT, 67}, {OBJ_FX_EXPLOSION, 66}, {OBJ_FX_RESPAWN, 30}};
    game_world.ai_shooting_disabled = game_world.multiplayer = 1;
    for (auto& c : cases) {
        game_pool_add(&game_world.objects, game_obj_create(c.type, 0, kx_vec3(0, 0, 0)));
        int lived = 0;
        while (count_type(c.type) && lived < 200) game_tick(), lived++;
        EXPECT_EQ(lived, c.ticks) << c.type;
    }
}

TEST_F(GameWeapon, HealthKitReachAndHealing) {
    game_world.multiplayer = 1;
    const int kit = find_type(OBJ_HEALTHKIT);
    game_obj_t* k = game_obj(kit);
    // clang-format off
    const struct {
        float dx;
        int health, dead, active;
        int want;
    } cases[] = {
        {.dx = 0.86f, .health = 20, .dead = 0, .active = 1, .want = 50},  // 0.86^2 + 0.5^2 < 1: on the floor
        {.dx = 0.71f, .health = 45, .dead = 0, .active = 1, .want = 60},  // up to 60
        {.dx = 0.87f, .health = 20, .dead = 0, .active = 1, .want = 20},  // out of reach
        {.dx = 0, .health = 60, .dead = 0, .active = 1, .want = 60},  // not hurt: the kit stays
        {.dx = 0, .health = 20, .dead = 1, .active = 1, .want = 20},  // dead
        {.dx = 0, .health = -4, .dead = 0, .active = 0, .want = 26},  // out of the game, still a taker
    };
    // clang-format on
    game_obj_t* t = game_obj(1);
    for (auto& c : cases) {
        k->dead = 0;
        t->pos = kx_vec3(k->pos.x + c.dx, k->pos.y, 0.5f), t->vel = t->wish_vel = kx_vec3(0, 0, 0);
        t->health = c.health, t->dead = c.dead, t->active = c.active, t->timer = 1000;
        game_tick();
        EXPECT_EQ((ints{t->health, k->dead}), (ints{c.want, c.want != c.health})) << c.dx << " " << c.health;
    }
    // Two takers in one tick are both healed; the kit is back after 1100 ticks.
    k->dead = 0, t->active = 1;
    game_obj_t* p = game_obj(0);
    p->pos = kx_vec3(k->pos.x - 0.3f, k->pos.y, 0.5f), p->health = 50;
    t->pos = kx_vec3(k->pos.x + 0.3f, k->pos.y, 0.5f), t->health = 10;
    g_hooks.trace.clear();
    game_world.free_camera = 1;  // the camera held 10 from the kit
    game_world.camera_pos = kx_vec3(k->pos.x, k->pos.y + 10, 0);
    game_tick();
    EXPECT_EQ((ints{p->health, t->health, k->dead, k->timer}), (ints{60, 40, 1, 1100}));
    EXPECT_EQ(g_hooks.trace, (strings{"snd kit 0.5000", "snd kit 0.5000"}));
    for (int n = 0; n < 1099; n++) game_tick();
    EXPECT_EQ((ints{k->dead, k->timer}), (ints{1, 1}));
    p->health = 5;
    game_tick();  // back this tick, taken again the next
    EXPECT_EQ((ints{k->dead, k->timer, p->health}), (ints{0, 1100, 5}));
    game_tick();
    EXPECT_EQ((ints{k->dead, p->health}), (ints{1, 35}));
}

TEST_F(GameWeapon, RespawnAtTheDrawnSpawnPoint) {
    // rand() 13 -> spawn 3 of 10, (9.6, -2.4); 7 -> spawn 7, (-28, -6.4).
    game_world.multiplayer = 1;
    game_obj_t* p = game_obj(0);
    p->dead = 1, p->timer = 2, p->ammo = 2, p->rot = kx_vec3(1, 2, 0),
    p->vel = p->wish_vel = kx_vec3(1, 1, 0);
    game_world.respawn_flash = 0;
    rand_script({13});
    game_tick();
    EXPECT_EQ((ints{p->dead, p->timer, game_world.events.count, rand_calls()}), (ints{1, 1, 0, 0}));
    game_tick();
    EXPECT_VEC(p->pos, kx_vec3(9.6f, -2.4f, 0.5f));
    EXPECT_VEC(p->rot, kx_vec3(PI_2, 0, 0));
    EXPECT_VEC(p->vel, kx_vec3(0, 0, 0));
    EXPECT_EQ((ints{p->dead, p->timer, p->ammo, game_world.respawn_flash, count_type(OBJ_FX_RESPAWN)}),
              (ints{0, 250, 18, 30, 0}));
    EXPECT_EQ(g_hooks.trace, (strings{"snd reload 1.0000"}));
    ASSERT_EQ(game_world.events.count, 1);
    const game_event_t& e = game_world.events.items[0];
    EXPECT_EQ((ints{e.code, e.owner}), (ints{GAME_EV_RESPAWNED, 7}));
    EXPECT_VEC(e.pos, kx_vec3(9.6f, -2.4f, 0.5f));

    // A bot in a single-player game: the effect where it appears, a long reaction delay,
    // its sound by the distance to the local player (16.08 away), not to the camera.
    SetUp();
    for (int k = 1; k <= 4; k++) game_obj(k)->dead = 1, game_obj(k)->timer = 100;
    game_obj_t* b = game_obj(2);
    b->timer = 1, b->aim_delay = 3;
    game_world.camera_pos = kx_vec3(100, 100, 0);
    rand_script({7});
    game_tick();
    EXPECT_VEC(b->pos, kx_vec3(-28, -6.4f, 0.5f));
    EXPECT_EQ((ints{b->dead, b->aim_delay, rand_calls(), game_world.respawn_flash}), (ints{0, 280, 1, 29}));
    EXPECT_EQ(g_hooks.trace, (strings{"snd reload 0.2789"}));
    const int fx = find_type(OBJ_FX_RESPAWN);
    ASSERT_GE(fx, 0);
    EXPECT_VEC(game_obj(fx)->pos, kx_vec3(-28, -6.4f, 0.5f));
    EXPECT_EQ(game_world.events.count, 0);
}

TEST_F(GameWeapon, DeathPass) {
    game_obj_t *a = game_obj(1), *b = game_obj(2), *p = game_obj(0);
    a->health = 0, a->lives = 2, a->vel = kx_vec3(0.1f, 0, 0);
    b->health = -3, b->lives = 0;
    game_world.camera_pos = a->pos;
    game_death_pass();
    EXPECT_EQ((ints{a->lives, a->health, a->dead, a->timer, b->active, game_world.bots_alive}),
              (ints{1, 60, 1, 250, 0, 3}));
    const int fx = find_type(OBJ_FX_EXPLOSION);
    ASSERT_GE(fx, 0);
    EXPECT_VEC(game_obj(fx)->pos, kx_vec3(-14.5f, 16.8f, 0.5f));  // one step back
    EXPECT_EQ(count_type(OBJ_FX_EXPLOSION), 2);
    EXPECT_EQ(g_hooks.trace[0], "snd explosion 1.0000");
    // The local player loses a life in single player; out of lives ends the game.
    p->health = 0;
    game_death_pass();
    EXPECT_EQ((ints{p->lives, p->dead, p->health, g_hooks.game_over, count_type(OBJ_FX_EXPLOSION)}),
              (ints{8, 1, 60, 0, 2}));
    p->health = p->lives = 0;
    game_death_pass();
    EXPECT_EQ(g_hooks.game_over, 1);
    // Multiplayer: no life lost; the death is queued with the killer and reported.
    game_world.multiplayer = 1;
    p->lives = 4, p->health = -1, p->last_attacker = 3, p->dead = 0;
    game_death_pass();
    ASSERT_EQ(game_world.events.count, 1);
    const game_event_t& e = game_world.events.items[0];
    EXPECT_EQ((ints{p->lives, p->dead, e.code, e.killer, e.owner, g_hooks.last_killer}),
              (ints{4, 1, GAME_EV_DIED, 3, 7, 3}));
    // The last bots out: the victory text. (A tick could heal Bob first: he spawns beside a health kit.)
    for (int k : {1, 3, 4}) game_obj(k)->lives = game_obj(k)->health = 0;
    game_death_pass();
    EXPECT_EQ(game_world.bots_alive, 0);
    game_tick();
    EXPECT_EQ(g_hooks.victory_shown, 1);
}

}  // namespace
