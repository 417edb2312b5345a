// One simulation tick and the fixed-step driver (see game_tick.h).
// Depends on game_world, game_move, game_weapon, game_bot, game_input,
// game_query, game_hooks, kx_log.
#include "game/sim/game_tick.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "engine/app/kx_log.h"
#include "game/sim/game_bot.h"
#include "game/sim/game_hooks.h"
#include "game/sim/game_input.h"
#include "game/sim/game_move.h"
#include "game/sim/game_query.h"
#include "game/sim/game_weapon.h"
#include "game/sim/game_world.h"

namespace {

bool is_player_type(int type) { return type == OBJ_PLAYER || type == OBJ_OTHER; }

// Player objects sit at the front of the pool (the setup places them first), so
// hit and pick-up scans stop after the last one instead of running over bullets.
int player_scan_end() {
    int end = 0;
    for (int j = 0; j < game_world.objects.count; j++)
        if (is_player_type(game_obj(j)->type)) end = j + 1;
    return end;
}

void healthkit_step(int i, int target_end) {
    game_obj_t* kit = game_obj(i);
    if (kit->dead) {
        if (--kit->timer <= 0) {
            kit->dead = 0;
            kit->timer = 1100;
        }
        return;
    }
    const int end = kx_imin(target_end, game_world.objects.count);
    for (int j = 0; j < end; j++) {
        game_obj_t* t = game_obj(j);
        if (!is_player_type(t->type) || t->dead || t->health >= 60) continue;
        if (!(kx_vec3_dist2(t->pos, kit->pos) < 4.0f * t->radius * t->radius)) continue;
        t->health = kx_imin(60, t->health + 30);
        kit->dead = 1;
        kit->timer = 1100;
        game_hooks.play_sound(GAME_SND_HEALTHKIT, 0, game_sound_volume(kit->pos));
    }
}

// The (r mod bot_spawn_count)-th bot spawn point, or -1 when there is none.
int nth_bot_spawn(int r) {
    if (game_world.bot_spawn_count <= 0) return -1;
    int n = r % game_world.bot_spawn_count;
    for (int j = 0; j < game_world.objects.count; j++) {
        if (game_obj(j)->type != OBJ_BOT_SPAWN) continue;
        if (n-- == 0) return j;
    }
    return -1;
}

void respawn(int i) {
    game_obj_t* o = game_obj(i);
    o->timer = 250;
    o->ammo = 18;
    const int sp = nth_bot_spawn(std::rand());
    if (sp >= 0) {
        o->pos.x = game_obj(sp)->pos.x;
        o->pos.y = game_obj(sp)->pos.y;
        o->rot = kx_vec3(static_cast<float>(M_PI / 2), 0, 0);
        o->vel = o->wish_vel = kx_vec3(0, 0, 0);
        o->aim_delay = 280;
    }
    o->dead = 0;
    const vec3 pp = game_obj(0)->pos;
    const double dx = static_cast<double>(o->pos.x) - pp.x, dy = static_cast<double>(o->pos.y) - pp.y,
                 dz = static_cast<double>(o->pos.z) - pp.z;
    game_hooks.play_sound(GAME_SND_RELOAD, 0,
                          static_cast<float>(1.0 / (1.0 + 0.01 * (dx * dx + dy * dy + dz * dz))));
    if (o->type == OBJ_PLAYER) {
        game_world.respawn_flash = 30;
        if (game_world.multiplayer) game_event_local(GAME_EV_RESPAWNED, o->pos, kx_vec3(0, 0, 0), 0);
    } else {
        game_pool_add(&game_world.objects, game_obj_create(OBJ_FX_RESPAWN, 0, o->pos));
    }
}

void player_step(int i) {
    game_obj_t* o = game_obj(i);
    const bool remote = o->type == OBJ_OTHER && game_world.multiplayer;
    if (o->active && o->dead && !remote) {
        if (--o->timer <= 0) respawn(i);
        o = game_obj(i);
    }
    if (o->hit_flash > 0) o->hit_flash--;
}

void object_pass() {
    const int target_end = player_scan_end();
    game_pool_t<game_obj_t>& objs = game_world.objects;
    for (int i = 0; i < objs.count; i++) {
        game_obj_t* o = game_obj(i);
        switch (o->type) {
            case OBJ_BULLET:
                if (game_bullet_step(i, target_end)) i--;
                break;
            case OBJ_FX_IMPACT:
            case OBJ_FX_EXPLOSION:
                if (++o->age > 70) {
                    game_pool_remove(&objs, i);
                    i--;
                }
                break;
            case OBJ_FX_RESPAWN:
                if (++o->age > 35) {
                    game_pool_remove(&objs, i);
                    i--;
                }
                break;
            case OBJ_HEALTHKIT:
                healthkit_step(i, target_end);
                break;
            case OBJ_PLAYER:
            case OBJ_OTHER:
                player_step(i);
                break;
            default:
                break;
        }
    }
}

}  // namespace

void game_hud_update() {
    game_world_t& w = game_world;
    if (w.bots_alive == 0) {
        game_hooks.show_victory(1);
    } else {
        int remaining = 0;
        for (int j = 0; j < w.objects.count; j++) {
            const game_obj_t* o = game_obj(j);
            if (o->type == OBJ_OTHER && o->active) remaining += 1 + o->lives;
        }
        w.remaining = remaining;
        char line[96];
        std::snprintf(line, sizeof line, "%s\n%s\n%s", w.free_camera ? "[Free Camera Mode]" : "",
                      w.ai_shooting_disabled ? "[Shooting A.I. Disabled]" : "",
                      w.debug_draw ? "[Debug drawing mode]" : "");
        game_hooks.hud_mode_line(line);
    }
    const game_obj_t* p = game_obj(0);
    game_hooks.hud_lives(p->lives, p->dead && !w.multiplayer);
}

void game_death_pass() {
    game_world_t& w = game_world;
    for (int i = 0; i < w.objects.count; i++) {
        game_obj_t* o = game_obj(i);
        if (!o->active || o->health > 0) continue;
        if (o->lives <= 0) {
            if (o->type == OBJ_OTHER) {
                game_pool_add(&w.objects, game_obj_create(OBJ_FX_EXPLOSION, 0, kx_vec3_sub(o->pos, o->vel)));
                o = game_obj(i);
                game_hooks.play_sound(GAME_SND_EXPLOSION, 0, game_sound_volume(o->pos));
                w.bots_alive--;
                o->active = 0;
                kxLog("turret %d has 0 lives, now it's spectating \n", i);
            } else if (o->type == OBJ_PLAYER) {
                game_hooks.game_over();
            }
            continue;
        }
        if (!w.multiplayer) o->lives--;
        o->health = 60;
        o->dead = 1;
        o->timer = 250;
        if (o->type == OBJ_OTHER)
            game_pool_add(&w.objects, game_obj_create(OBJ_FX_EXPLOSION, 0, kx_vec3_sub(o->pos, o->vel)));
        o = game_obj(i);
        game_hooks.play_sound(GAME_SND_EXPLOSION, 0, game_sound_volume(o->pos));
        if (w.multiplayer && o->type == OBJ_PLAYER) {
            game_event_local(GAME_EV_DIED, o->pos, kx_vec3(0, 0, 0), o->last_attacker);
            game_hooks.local_death(o->last_attacker);
        }
    }
}

void game_tick() {
    game_world_t& w = game_world;
    if (w.free_camera) game_free_camera_step();
    if (w.respawn_flash > 0) w.respawn_flash--;
    game_hud_update();
    if (w.step_timer > 0) w.step_timer--;

    game_obj_move(0);
    for (int i = 1; i < w.objects.count; i++) {
        const game_obj_t* o = game_obj(i);
        if (o->type == OBJ_OTHER && o->active) game_obj_move(i);
    }
    if (w.hit_sound_timer > 0) w.hit_sound_timer--;

    game_fire(0);
    if (!w.ai_shooting_disabled) {
        for (int i = 1; i < w.objects.count; i++) {
            const game_obj_t* o = game_obj(i);
            if (o->type != OBJ_OTHER || o->dead || !o->active) continue;
            game_bot_aim(i);
            game_fire(i);
        }
    }

    object_pass();
    game_death_pass();
}

int game_run_ticks(int dt, int clock_ms) {
    game_world.clock_ms = clock_ms & 0xFFFF;
    game_world.tick_accum += dt;
    int n = 0;
    while (game_world.tick_accum > 10) {
        game_tick();
        game_world.tick_accum -= 10;
        n++;
    }
    return n;
}

int game_frame_step(int dt, int clock_ms) {
    game_world_t& w = game_world;
    if (w.multiplayer && w.connected) {
        w.state_send_timer -= dt;
        if (w.state_send_timer <= 0 || w.events.count > 0) {
            game_hooks.send_state();
            w.state_send_timer = 50;
        }
    }
    w.chat_timer -= dt;
    if (w.chat_timer < 0) {
        w.chat_timer = 0;
        game_hooks.clear_chat();
    }
    return game_run_ticks(dt, clock_ms);
}
