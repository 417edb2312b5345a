// Bot waypoints, steering and aiming (see game_bot.h).
// Depends on game_world, game_query.
#include "game/sim/game_bot.h"

#include <cmath>
#include <cstdlib>

#include "game/sim/game_query.h"
#include "game/sim/game_world.h"

namespace {

constexpr float BOT_SPEED = 0.048f;
constexpr int PICK_LIMIT = 61;

// Two blocks that only touch leave a seam the sight test sees through, and a bot
// pressed against it would walk on the spot forever. A bot that made no
// progress for a second of waypoint walking gives its waypoint up.
constexpr int STUCK_LIMIT_TICKS = 100;
constexpr float STUCK_STEP2 = 0.01f * 0.01f;
constexpr int BOT_SLOTS = 13;
struct bot_progress_t {
    vec3 last_pos;
    int still_ticks;
};
bot_progress_t bot_progress[BOT_SLOTS];  // cleared by game_bot_reset at every new game

// Counts the ticks since bot i last moved more than STUCK_STEP; 0 for non-slot objects.
int still_ticks(int i, vec3 pos) {
    if (i <= 0 || i >= BOT_SLOTS) return 0;
    bot_progress_t* p = &bot_progress[i];
    if (kx_vec3_dist2(pos, p->last_pos) > STUCK_STEP2) {
        p->last_pos = pos;
        p->still_ticks = 0;
    } else {
        p->still_ticks++;
    }
    return p->still_ticks;
}

int reachable(int i, int j) { return game_obj_sees(i, j, GAME_NAV); }

}  // namespace

void game_bot_reset() {
    for (bot_progress_t& p : bot_progress) p = bot_progress_t{};
}

int game_nearest_waypoint(int i, int a, int b) {
    float best = 8192.0f;
    int result = 0;
    const vec3 p = game_obj(i)->pos;
    for (int j = 0; j < game_world.objects.count; j++) {
        if (j == a || j == b || game_obj(j)->type != OBJ_WAYPOINT) continue;
        if (!reachable(i, j)) continue;
        const float d2 = kx_vec3_dist2(p, game_obj(j)->pos);
        if (d2 < best) {
            best = d2;
            result = j;
        }
    }
    return result;
}

int game_pick_waypoint(int i, int a, int b) {
    int cand[PICK_LIMIT];
    int n = 0;
    for (int j = 0; j < game_world.objects.count; j++) {
        if (j == a || j == b || game_obj(j)->type != OBJ_WAYPOINT) continue;
        if (!reachable(i, j)) continue;
        cand[n++] = j;
        if (n == PICK_LIMIT) return cand[std::rand() % PICK_LIMIT];
    }
    return n ? cand[std::rand() % n] : 0;
}

void game_bot_steer(int i) {
    game_obj_t* o = game_obj(i);
    const game_obj_t* pl = game_obj(0);
    if (!game_world.ai_shooting_disabled && !pl->dead && game_obj_sees(i, 0, GAME_SHOT)) {
        // Strafe around the player; the pattern's phase differs per bot.
        const float a = std::atan2(pl->pos.y - o->pos.y, pl->pos.x - o->pos.x);
        const int t = 70 * i + game_world.clock_ms;
        const float s = BOT_SPEED * (t % 512 < 128 ? 1.0f : -1.0f) * (t % 2048 < 1024 ? 1.0f : -1.0f);
        const float side = a + static_cast<float>(M_PI / 2);
        o->wish_vel.x = std::cos(side) * s;
        o->wish_vel.y = std::sin(side) * s;
        return;
    }
    const int w = o->waypoint;
    const int stuck = still_ticks(i, o->pos) >= STUCK_LIMIT_TICKS;
    const int keep = !stuck && kx_vec3_dist2(o->pos, game_obj(w)->pos) >= 1.0f && reachable(i, w);
    if (!keep) {
        if (stuck) bot_progress[i].still_ticks = 0;
        const int old_prev = o->prev_waypoint;
        o->prev_waypoint2 = old_prev;
        o->prev_waypoint = w;
        o->waypoint = game_pick_waypoint(i, old_prev, w);
    }
    const vec3 t = game_obj(o->waypoint)->pos;
    const float a = std::atan2(t.y - o->pos.y, t.x - o->pos.x);
    o->wish_vel.x = std::cos(a) * BOT_SPEED;
    o->wish_vel.y = std::sin(a) * BOT_SPEED;
}

void game_bot_aim(int i) {
    game_obj_t* o = game_obj(i);
    const game_obj_t* pl = game_obj(0);
    if (game_world.multiplayer || pl->dead || !game_obj_sees(i, 0, GAME_SHOT)) {
        o->aim_delay = kx_imin(o->aim_delay + 1, 210);
        return;
    }
    if (o->aim_delay > 0) {
        o->aim_delay = kx_imax(o->aim_delay - 3, 0);
        return;
    }
    // Lead the target by its velocity, less when the led point is out of sight.
    float lead = 4.0f * std::sqrt(kx_vec3_dist2(pl->pos, o->pos));
    if (!game_segment_clear(GAME_SHOT, kx_vec3_add(pl->pos, kx_vec3_scale(pl->vel, lead)), o->pos)) {
        lead *= 0.5f;
        if (!game_segment_clear(GAME_SHOT, kx_vec3_add(pl->pos, kx_vec3_scale(pl->vel, lead)), o->pos))
            lead *= 0.2f;
    }
    const int r1 = std::rand();
    const int r2 = std::rand();
    if (r2 % 1024 > 255)
        lead *= (r1 % 100) * 0.01f * 0.2f + 0.8f;
    else
        lead = 0;
    float ox = 0, oy = 0;
    if (std::rand() % 1024 < 192) {
        const float m = std::atan2(pl->vel.y, pl->vel.x);
        ox = -1.6f * std::cos(m);
        oy = -1.5f * std::sin(m);
    }
    const float ax = pl->pos.x + ox + lead * pl->vel.x;
    const float ay = pl->pos.y + oy + lead * pl->vel.y;
    o->rot.x = static_cast<float>(M_PI / 2);
    o->rot.y = std::atan2(ay - o->pos.y, ax - o->pos.x) - static_cast<float>(M_PI / 2);
    o->fire = 1;
}
