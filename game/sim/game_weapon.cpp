// Weapons, shooting and bullet flight (see game_weapon.h).
// Depends on game_world, game_query, game_hooks.
#include "game/sim/game_weapon.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "game/sim/game_hooks.h"
#include "game/sim/game_query.h"
#include "game/sim/game_world.h"

namespace {

constexpr float BULLET_SPEED = 0.25f;
constexpr float BULLET_HEIGHT = 0.9f;

// Append one bullet from shooter s with spread `spread` (radians each side) and
// `step` per rand() unit, started `ahead` velocities in front of the shooter.
void shoot_one(int s, float spread, float step, float ahead, int kind) {
    const game_obj_t* o = game_obj(s);
    const float yaw = o->rot.y, pitch = o->rot.x;
    const float yaw2 = yaw - spread + (std::rand() % 100) * step;
    const float pitch2 = pitch - spread + (std::rand() % 100) * step;
    const vec3 v = kx_vec3_scale(
        kx_vec3(-std::sin(yaw2) * std::sin(pitch2), std::cos(yaw2) * std::sin(pitch2), -std::cos(pitch2)),
        BULLET_SPEED);
    const int local = o->type == OBJ_PLAYER;
    const float off = local ? 0.15f : 0.0f;
    const vec3 p = kx_vec3(o->pos.x + std::cos(yaw) * off + ahead * v.x,
                           o->pos.y + std::sin(yaw) * off + ahead * v.y, BULLET_HEIGHT + ahead * v.z);
    game_obj_t b = game_obj_create(OBJ_BULLET, 0, p);
    b.vel = v;
    b.bullet_kind = kind;
    b.id = o->id;
    b.radius = 0.01f;
    if (local && kind == 1) b.flags |= 0x100;
    game_pool_add(&game_world.objects, b);
    if (local && game_world.multiplayer)
        game_event_local(kind == 1 ? GAME_EV_MG_SHOT : GAME_EV_PELLET, p, v, 0);
}

void shoot(int i) {
    game_obj_t* o = game_obj(i);
    const int local = o->type == OBJ_PLAYER;
    game_hooks.shot_fired(i);
    if (o->weapon == 0) {
        o->cooldown = 100;
        game_hooks.play_sound(local ? GAME_SND_SHOT_AND_RELOAD : GAME_SND_SINGLE_SHOT, 0,
                              game_sound_volume(o->pos));
        for (int k = 0; k < 6; k++) shoot_one(i, 0.035f, 0.0007f, 3.0f, 0);
        return;
    }
    o->cooldown = 12;
    game_hooks.play_sound(GAME_SND_PLAYER_SHOT, 0, game_sound_volume(o->pos));
    shoot_one(i, 0.0125f, 0.00025f, 3.5f, 1);
    o = game_obj(i);
    o->ammo -= 1;
    if (o->ammo < 1) game_select_weapon(i, 1);
}

void hit_sound(vec3 at, int player_hit) {
    if (game_world.hit_sound_timer != 0) return;
    game_hooks.play_sound(GAME_SND_HIT, 0, game_sound_volume(at));
    game_world.hit_sound_timer = 2;
    if (player_hit) game_hooks.play_sound(GAME_SND_PLAYER_HIT, 1, 1.0f);
}

}  // namespace

void game_event_local(int code, vec3 pos, vec3 vel, int killer) {
    game_event_t ev;
    std::memset(&ev, 0, sizeof ev);
    const uint16_t id = static_cast<uint16_t>(game_hooks.own_net_id());
    ev.code = static_cast<uint16_t>(code);
    ev.owner = id;
    if (code != GAME_EV_RESPAWNED) ev.sender = id;
    ev.killer = static_cast<uint16_t>(killer);
    ev.pos = pos;
    ev.vel = vel;
    game_event_queue(ev);
}

void game_fire(int i) {
    game_obj_t* o = game_obj(i);
    if (o->dead) return;
    if (o->cooldown > 0) o->cooldown--;
    if (o->switch_timer > 0) o->switch_timer--;
    if (!o->fire) return;
    if (o->cooldown == 0 && o->switch_timer == 0) shoot(i);
    o = game_obj(i);
    if (!o->trigger_held) o->fire = 0;
}

void game_select_weapon(int i, int w) {
    game_obj_t* o = game_obj(i);
    if (o->weapon == w) {
        if (o->switch_timer > 0) return;
        if (w != 1 || o->ammo > 17) {
            o->ammo = 18;
            return;
        }
        game_hooks.play_sound(GAME_SND_RELOAD, 0, game_sound_volume(o->pos));
    }
    o->weapon = w;
    o->switch_timer = 60;
    o->cooldown = 15;
    o->ammo = 18;
}

int game_bullet_step(int i, int target_end) {
    game_obj_t* b = game_obj(i);
    b->pos = kx_vec3_add(b->pos, b->vel);
    if (game_in_range(i) && game_obj_in_free(i, GAME_SHOT)) {
        const int end = kx_imin(target_end, game_world.objects.count);
        for (int j = 0; j < end; j++) {
            game_obj_t* t = game_obj(j);
            if ((t->type != OBJ_PLAYER && t->type != OBJ_OTHER) || t->dead || !t->active || t->id == b->id)
                continue;
            if (!(kx_vec3_dist2(t->pos, b->pos) < 2.0f * t->radius * t->radius)) continue;
            t->hit_flash = 10;
            t->last_attacker = b->id;
            t->health -= b->bullet_kind == 0 ? 6 : 3;
            const vec3 at = b->pos;
            game_hooks.bullet_hit(j, b->id);
            if (j != 0)
                game_pool_add(&game_world.objects,
                              game_obj_create(OBJ_FX_IMPACT, 0, kx_vec3_sub(b->pos, b->vel)));
            hit_sound(at, j == 0);
            game_pool_remove(&game_world.objects, i);
            return 1;
        }
        return 0;
    }
    // Out of the world or into a wall.
    hit_sound(b->pos, 0);
    game_pool_add(&game_world.objects, game_obj_create(OBJ_FX_IMPACT, 0, kx_vec3_sub(b->pos, b->vel)));
    game_pool_remove(&game_world.objects, i);
    return 1;
}
