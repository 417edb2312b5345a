// Headless match runner (see sim_match.h).
// Depends on game_sim.
#include "tools/sim/sim_match.h"

#include <chrono>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "game/sim/game_bot.h"
#include "game/sim/game_hooks.h"
#include "game/sim/game_query.h"
#include "game/sim/game_setup.h"
#include "game/sim/game_tick.h"
#include "game/sim/game_world.h"

namespace {

// Statistics of the running match; the hooks write into it.
sim_match_result_t* stats = nullptr;
int walk_forward = 0;
int game_ended = 0;

void on_shot(int i) {
    if (i >= 0 && i < SIM_SLOTS) stats->shots[i]++;
}

void on_hit(int /*target*/, int shooter_id) {
    const int i = shooter_id == GAME_PLAYER_ID ? 0 : shooter_id + 1;
    if (i >= 0 && i < SIM_SLOTS) stats->hits[i]++;
}

void on_game_over() {
    game_world.game_mode = 0;
    // The last death ends the game instead of costing a life.
    if (!game_ended) stats->deaths[0]++;
    game_ended = 1;
}

int on_key(int k) { return walk_forward && k == GAME_KEY_W; }

// The scripted player walks the waypoints like a bot, by turning and holding W.
int player_target = 0;
void steer_walking_player() {
    game_obj_t* p = game_obj(0);
    walk_forward = 0;
    if (p->dead) return;
    if (player_target == 0 || kx_vec3_dist2(p->pos, game_obj(player_target)->pos) < 1.0f ||
        !game_obj_sees(0, player_target, GAME_NAV)) {
        player_target = game_nearest_waypoint(0, p->prev_waypoint, p->prev_waypoint2);
        if (player_target == 0 || kx_vec3_dist2(p->pos, game_obj(player_target)->pos) < 1.0f)
            player_target = game_pick_waypoint(0, p->prev_waypoint, p->prev_waypoint2);
        p->prev_waypoint2 = p->prev_waypoint;
        p->prev_waypoint = player_target;
    }
    if (player_target == 0) return;
    const vec3 t = game_obj(player_target)->pos;
    p->rot.y = std::atan2(t.y - p->pos.y, t.x - p->pos.x) - static_cast<float>(M_PI / 2);
    walk_forward = 1;
}

// Bots following waypoints (not circling the player), as their steering decides.
bool following_waypoints(int i) {
    const game_obj_t* pl = game_obj(0);
    return game_world.ai_shooting_disabled || pl->dead || !game_obj_sees(i, 0, GAME_SHOT);
}

void ensure_world() {
    if (game_world.objects.in_use) return;
    game_reset_state();
    game_world_init();
}

}  // namespace

int sim_match_run(const sim_match_options_t* opt, sim_match_result_t* out) {
    std::memset(out, 0, sizeof *out);
    out->end_tick = -1;
    stats = out;
    game_ended = 0;
    walk_forward = 0;
    player_target = 0;
    ensure_world();
    game_hooks_reset();
    game_hooks.shot_fired = on_shot;
    game_hooks.bullet_hit = on_hit;
    game_hooks.game_over = on_game_over;
    game_hooks.key_held = on_key;

    std::srand(opt->seed);
    game_world.multiplayer = 0;
    game_world.free_camera = 0;
    game_world.ai_shooting_disabled = opt->bots_no_shooting ? 1 : 0;
    // A new game keeps the world's timers; a match must not depend on the one before.
    game_world.tick_accum = game_world.step_timer = game_world.hit_sound_timer = 0;
    game_world.game_mode = 3;
    game_logic_start_new_game();

    static uint64_t reached[SIM_SLOTS][2];  // waypoint indices are below 128
    std::memset(reached, 0, sizeof reached);
    int prev_dead[SIM_SLOTS], prev_active[SIM_SLOTS], stuck_run[SIM_SLOTS] = {};
    int kit_dead[GAME_OBJECTS_CAPACITY] = {};
    bool following[SIM_SLOTS] = {};
    vec3 before[SIM_SLOTS];

    const auto t0 = std::chrono::steady_clock::now();
    double sim_ns = 0;
    int clock = 0;
    while (out->ticks_run < opt->ticks && !game_ended && game_world.bots_alive > 0) {
        if (opt->player_mode == SIM_PLAYER_WALK) steer_walking_player();
        for (int i = 0; i < SIM_SLOTS; i++) {
            const game_obj_t* o = game_obj(i);
            prev_dead[i] = o->dead;
            prev_active[i] = o->active;
            before[i] = o->pos;
            following[i] = i > 0 && o->active && !o->dead && following_waypoints(i);
        }
        // One 10 ms frame; the very first frame of a game only fills the accumulator.
        const auto a = std::chrono::steady_clock::now();
        int n = game_run_ticks(10, clock);
        while (n == 0) n = game_run_ticks(10, clock += 10);
        clock += 10;
        sim_ns += std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - a).count();
        out->ticks_run += n;

        for (int i = 0; i < SIM_SLOTS; i++) {
            const game_obj_t* o = game_obj(i);
            if ((!prev_dead[i] && o->dead) || (prev_active[i] && !o->active)) out->deaths[i]++;
            if (!o->active || o->dead) continue;
            for (int j = 13; j < game_world.objects.count; j++) {
                const game_obj_t* w = game_obj(j);
                if (w->type == OBJ_WAYPOINT && j < 128 && kx_vec3_dist2(o->pos, w->pos) < 1.0f)
                    reached[i][j / 64] |= uint64_t{1} << (j % 64);
            }
            if (!following[i] || prev_dead[i]) {
                stuck_run[i] = 0;
                continue;
            }
            const float dx = o->pos.x - before[i].x, dy = o->pos.y - before[i].y;
            if (dx * dx + dy * dy <= 0.01f * 0.01f) {
                out->stuck_ticks[i]++;
                if (++stuck_run[i] > out->longest_stuck[i]) {
                    out->longest_stuck[i] = stuck_run[i];
                    out->longest_stuck_x[i] = o->pos.x;
                    out->longest_stuck_y[i] = o->pos.y;
                }
            } else {
                stuck_run[i] = 0;
            }
        }
        for (int j = 13; j < game_world.objects.count; j++) {
            const game_obj_t* k = game_obj(j);
            if (k->type != OBJ_HEALTHKIT) continue;
            if (k->dead && !kit_dead[j]) out->kits_taken++;
            kit_dead[j] = k->dead;
        }
        if (game_ended || game_world.bots_alive <= 0) {
            out->end_tick = out->ticks_run;
            out->victory = game_world.bots_alive <= 0 && !game_ended;
        }
    }
    out->wall_ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
    out->us_per_tick = out->ticks_run ? sim_ns / 1000.0 / out->ticks_run : 0;
    out->bots_alive = game_world.bots_alive;
    for (int i = 0; i < SIM_SLOTS; i++) {
        const game_obj_t* o = game_obj(i);
        out->lives[i] = o->lives;
        out->health[i] = o->health;
        out->active[i] = o->active;
        out->waypoints_reached[i] = __builtin_popcountll(reached[i][0]) + __builtin_popcountll(reached[i][1]);
    }
    game_hooks_reset();
    stats = nullptr;
    return 1;
}

namespace {
struct json_out_t {
    char* buf;
    int cap, len;
};
void put(json_out_t* j, const char* fmt, ...) __attribute__((format(printf, 2, 3)));
void put(json_out_t* j, const char* fmt, ...) {
    if (j->len >= j->cap - 1) return;
    va_list ap;
    va_start(ap, fmt);
    const int n = std::vsnprintf(j->buf + j->len, j->cap - j->len, fmt, ap);
    va_end(ap);
    if (n > 0) j->len = n < j->cap - j->len ? j->len + n : j->cap - 1;
}
void put_ints(json_out_t* j, const char* name, const int* v) {
    put(j, ",\"%s\":[", name);
    for (int i = 0; i < SIM_SLOTS; i++) put(j, "%s%d", i ? "," : "", v[i]);
    put(j, "]");
}
}  // namespace

int sim_match_json(const sim_match_result_t* r, char* buf, int cap) {
    if (cap <= 0) return 0;
    buf[0] = 0;
    json_out_t j = {buf, cap, 0};
    put(&j, "{\"ticks\":%d,\"wall_ms\":%.3f,\"us_per_tick\":%.3f,\"bots_alive\":%d", r->ticks_run, r->wall_ms,
        r->us_per_tick, r->bots_alive);
    put_ints(&j, "active", r->active);
    put_ints(&j, "lives", r->lives);
    put_ints(&j, "health", r->health);
    put_ints(&j, "shots", r->shots);
    put_ints(&j, "hits", r->hits);
    put_ints(&j, "deaths", r->deaths);
    put(&j, ",\"kits_taken\":%d", r->kits_taken);
    put_ints(&j, "waypoints_reached", r->waypoints_reached);
    put_ints(&j, "stuck_ticks", r->stuck_ticks);
    put_ints(&j, "longest_stuck", r->longest_stuck);
    put(&j, ",\"longest_stuck_at\":[");
    for (int i = 0; i < SIM_SLOTS; i++)
        put(&j, "%s[%.2f,%.2f]", i ? "," : "", r->longest_stuck_x[i], r->longest_stuck_y[i]);
    put(&j, "]");
    if (r->end_tick >= 0)
        put(&j, ",\"end_tick\":%d,\"result\":\"%s\"}", r->end_tick, r->victory ? "victory" : "game_over");
    else
        put(&j, ",\"end_tick\":null,\"result\":null}");
    return j.len;
}
