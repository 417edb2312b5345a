// The game's globals, object and rectangle constructors, pool set-up and the
// event queue (see game_world.h). Depends on game_world.h only.
#include "game/sim/game_world.h"

#include <cmath>
#include <cstring>

game_world_t game_world;

game_obj_t game_obj_create(int type, int flags, vec3 pos) {
    game_obj_t o;
    std::memset(&o, 0, sizeof o);
    o.type = type;
    o.flags = flags;
    o.age = type;
    o.radius = 0.5f;
    o.lives = 3;
    o.health = 60;
    o.timer = 250;
    o.pos = pos;
    o.rot = kx_vec3(static_cast<float>(M_PI / 2), 0, 0);
    return o;
}

game_rect_t game_rect_make(int kind, int clip_class, float x1, float y1, float x2, float y2) {
    return game_rect_t{kind, clip_class, x1, y1, x2, y2};
}

void game_reset_state() {
    game_world.game_mode = 2;
    game_world.free_camera = 0;
    game_world.player = nullptr;
    game_world.camera_pos = kx_vec3(4, 2, 1);
    game_world.camera_rot = kx_vec3(0, 0, 0);
}

int game_world_init() {
    if (!game_pool_create(&game_world.objects, GAME_OBJECTS_CAPACITY)) return 0;
    if (!game_pool_create(&game_world.rects, GAME_RECTS_CAPACITY)) return 0;
    if (!game_pool_create(&game_world.events, GAME_EVENTS_CAPACITY)) return 0;
    game_world.player = &game_world.objects.items[0];
    for (int k = 0; k < GAME_SLOT_COUNT; k++) game_world.slots[k] = &game_world.objects.items[k + 1];
    return 1;
}

void game_world_term() {
    game_pool_free(&game_world.objects);
    game_pool_free(&game_world.rects);
    game_pool_free(&game_world.events);
    game_world.player = nullptr;
    for (auto& s : game_world.slots) s = nullptr;
}

int game_event_queue(const game_event_t& ev) { return game_pool_add(&game_world.events, ev); }

int game_events_take(game_event_t* out, int max) {
    game_pool_t<game_event_t>* q = &game_world.events;
    const int n = max < q->count ? (max > 0 ? max : 0) : q->count;
    if (n == 0) return 0;
    std::memcpy(out, q->items, sizeof(game_event_t) * n);
    // Keep the rest in order: the receiver replays shots in the order they were fired.
    std::memmove(q->items, q->items + n, sizeof(game_event_t) * (q->count - n));
    q->count -= n;
    return n;
}
