// New-game setup (see game_setup.h).
// Depends on game_world, game_level, game_query, game_bot, game_hooks, kx_log.
#include "game/sim/game_setup.h"

#include "engine/app/kx_log.h"
#include "game/sim/game_bot.h"
#include "game/sim/game_hooks.h"
#include "game/sim/game_level.h"
#include "game/sim/game_query.h"
#include "game/sim/game_world.h"

void game_logic_start_new_game() {
    kxLog("%s\n", "game_logic_start_new_game() ... ");
    game_world_t& w = game_world;
    game_pool_clear(&w.objects);
    game_pool_clear(&w.rects);

    for (const game_level_rect_t& r : game_level_rects)
        game_pool_add(&w.rects, game_rect_make(r.kind, r.clip_class, r.x1, r.y1, r.x2, r.y2));
    game_query_rects_changed();

    game_pool_add(&w.objects, game_obj_create(OBJ_PLAYER, 1, kx_vec3(15, 31.5f, 0.5f)));
    for (int k = 0; k < GAME_SLOT_COUNT; k++) {
        game_pool_add(&w.objects, game_obj_create(OBJ_OTHER, 1, kx_vec3(0, 0, 0.5f)));
        game_obj(k + 1)->id = k;
        w.slots[k] = game_obj(k + 1);
    }
    for (const game_level_marker_t& m : game_level_markers)
        game_pool_add(&w.objects, game_obj_create(m.type, 1, kx_vec3(m.x, m.y, 0)));

    game_bot_reset();
    w.bot_spawn_count = 10;
    w.bots_alive = 0;
    int player_placed = 0;
    for (int i = 0; i < w.objects.count; i++) {
        const game_obj_t* o = game_obj(i);
        if (o->type == OBJ_BOT_SPAWN && w.bots_alive <= 3) {
            const int k = ++w.bots_alive;
            game_obj_t* bot = game_obj(k);
            bot->pos = kx_vec3(o->pos.x, o->pos.y, 0.5f);
            bot->waypoint = game_nearest_waypoint(k, -1, -1);
            bot->active = 1;
            bot->weapon = k % 2;
        } else if (o->type == OBJ_PLAYER_SPAWN && !player_placed) {
            player_placed = 1;
            game_obj_t* p = game_obj(0);
            p->id = GAME_PLAYER_ID;
            p->active = 1;
            p->pos = kx_vec3(o->pos.x, o->pos.y, 0.5f);
        }
    }

    // The player starts as if it had just selected the machine gun.
    game_obj_t* p = game_obj(0);
    p->area = 1;
    p->lives = 9;
    p->weapon = 1;
    p->switch_timer = 60;
    p->cooldown = 15;
    p->ammo = 18;

    w.player = p;
    w.respawn_flash = 30;
    game_hooks.play_sound(GAME_SND_RELOAD, 1, 1.0f);
    game_hooks.show_victory(0);
    kxLog("%s\n", "game_logic_start_new_game() done. ");
}
