// Player and bot movement with floor and block collision (see game_move.h).
// Depends on game_world, game_query, game_bot, game_input, game_hooks.
#include "game/sim/game_move.h"

#include <cmath>
#include <cstdlib>

#include "game/sim/game_bot.h"
#include "game/sim/game_hooks.h"
#include "game/sim/game_input.h"
#include "game/sim/game_query.h"
#include "game/sim/game_world.h"

namespace {

void steer_player(game_obj_t* o) {
    int s, f;
    game_input_move(game_hooks.chat_open(), &s, &f);
    const float k = (s != 0 && f != 0) ? 0.050911687f : 0.072f;
    const float yaw = o->rot.y;
    o->wish_vel.x = std::cos(yaw) * s * k - std::sin(yaw) * f * k;
    o->wish_vel.y = std::sin(yaw) * s * k + std::cos(yaw) * f * k;
    o->wish_vel.z = 0;
    if ((s != 0 || f != 0) && game_world.step_timer == 0) {
        game_world.step_timer = 30;
        game_hooks.play_sound(GAME_SND_STEP0 + std::rand() % 4, 0, 0.5f);
    }
}

// Push the disc out of every block it overlaps, in pool order, along one axis.
void push_out_of_blocks(game_obj_t* o) {
    const game_pool_t<game_rect_t>& rects = game_world.rects;
    const float r = o->radius;
    for (int k = 0; k < rects.count; k++) {
        const game_rect_t& b = rects.items[k];
        if (b.kind != RECT_BLOCK) continue;
        const float hx = (b.x2 - b.x1) * 0.5f, hy = (b.y2 - b.y1) * 0.5f;
        const float cx = (b.x1 + b.x2) * 0.5f, cy = (b.y1 + b.y2) * 0.5f;
        const float dx = o->pos.x - cx, dy = o->pos.y - cy;
        if (!(std::fabs(dx) < r + hx && std::fabs(dy) < r + hy)) continue;
        const float a = std::atan2(dy, dx);
        const float c = std::atan2(hy, hx);
        if (std::fabs(a) < c)
            o->pos.x = cx + hx + r;
        else if (std::fabs(a) > static_cast<float>(M_PI) - c)
            o->pos.x = cx - (hx + r);
        else if (a > 0)
            o->pos.y = cy + hy + r;
        else
            o->pos.y = cy - (hy + r);
    }
}

}  // namespace

void game_obj_move(int i) {
    game_obj_t* o = game_obj(i);
    if (o->dead) return;
    if (o->type == OBJ_PLAYER)
        steer_player(o);
    else if (o->type == OBJ_OTHER && !game_world.multiplayer)
        game_bot_steer(i);

    o->vel.x = kx_approach(o->vel.x, o->wish_vel.x, 0.1f);
    o->vel.y = kx_approach(o->vel.y, o->wish_vel.y, 0.1f);
    o->pos.x += o->vel.x;
    o->pos.y += o->vel.y;
    o->walked += std::sqrt(o->vel.x * o->vel.x + o->vel.y * o->vel.y);

    // An area index from outside (network, a later level) must not read past the rects.
    if (o->area < 0 || o->area >= game_world.rects.count) o->area = 0;
    if (!game_in_area(i, o->area)) {
        const int a = game_find_area(i, GAME_NAV);
        if (a != 0) o->area = a;
    }
    const game_rect_t* ar = game_rect(o->area);
    const float r = o->radius;
    o->pos.x = kx_clamp(o->pos.x, ar->x1 + r, ar->x2 - r);
    o->pos.y = kx_clamp(o->pos.y, ar->y1 + r, ar->y2 - r);

    push_out_of_blocks(o);

    if (!game_world.free_camera && game_world.player) {
        const game_obj_t* p = game_world.player;
        game_world.camera_pos = kx_vec3(p->pos.x, p->pos.y, 1.0f);
        game_world.camera_rot = p->rot;
    }
}
