// The records of a running game (objects, rectangles, events), the three
// fixed-capacity pools that hold them, and the game's globals (game_world).
// Everything lives on the main thread; the pools are allocated once at game
// init and reused by every new game. Depends on kx_math and game_level (the
// type codes).
#pragma once

#include <cstdint>
#include <new>

#include "engine/math/kx_math.h"
#include "game/sim/game_level.h"

// One thing in the game: player, player slot, bullet, effect or level marker.
// Every field is 32 bits; the order is fixed (the renderer and network read it).
struct game_obj_t {
    int32_t type;            // OBJ_* code
    int32_t bullet_kind;     // bullets: 0 pellet (6 damage), 1 machine-gun bullet (3 damage)
    int32_t flags;           // 1 placed by the setup; 0x100 on the local player's machine-gun bullets
    int32_t age;             // effect tick counter; starts at the type code
    int32_t hit_flash;       // ticks left of the hit highlight
    int32_t id;              // shooter identity: slot number 0..11, 1000 for the local player
    int32_t last_attacker;   // id of the shooter of the last bullet that hit
    int32_t area;            // rects index of the floor area holding the object; 0 = none
    int32_t waypoint;        // bots: objects index of the waypoint walked to
    int32_t prev_waypoint;   // bots: the one before
    int32_t prev_waypoint2;  // bots: the one before that
    float radius;            // collision radius
    int32_t lives;           // lives left
    int32_t health;          // health points, 60 at most
    int32_t timer;           // respawn / kit re-appear countdown in ticks
    int32_t dead;            // 1 while waiting to respawn, or while a kit is taken
    int32_t active;          // 1 when a player slot takes part in the game
    int32_t weapon;          // 0 spread gun, 1 machine gun
    int32_t trigger_held;    // 1 while the fire button is held
    int32_t fire;            // 1 = a shot is requested
    int32_t cooldown;        // ticks until the weapon may fire again
    int32_t aim_delay;       // bots: reaction counter that must reach 0 before aiming
    int32_t switch_timer;    // ticks left of a weapon switch or reload
    int32_t ammo;            // machine-gun bullets left in the magazine (18 full)
    float walked;            // total horizontal distance moved
    vec3 pos;                // position; player slots stand at z = 0.5
    vec3 vel;                // velocity, units per tick
    vec3 wish_vel;           // velocity steered towards, units per tick
    vec3 rot;                // (pitch, yaw, 0); pitch pi/2 looks level, yaw 0 faces +y
};

// An axis-aligned rectangle of the level (floor area or obstacle), see game_level.h.
struct game_rect_t {
    int32_t kind;        // RECT_AREA or RECT_BLOCK
    int32_t clip_class;  // CLIP_SOLID (16) or CLIP_LOW (17)
    float x1, y1;        // lower corner
    float x2, y2;        // upper corner
};

// An event queued for the network sender; 40 bytes, the wire layout.
struct game_event_t {
    uint16_t code;    // 1 mg round, 2 pellet, 4 sender died, 5 sender respawned
    uint16_t owner;   // network id of the shooter / sender
    uint16_t sender;  // network id of the sender (codes 1, 2, 4)
    uint16_t killer;  // code 4: network id of the killer
    vec3 pos;         // round start (1, 2) or sender position (4, 5)
    uint32_t pad0;    // zero
    vec3 vel;         // codes 1, 2: round velocity per tick
    uint32_t pad1;    // zero
};
static_assert(sizeof(game_event_t) == 40, "game_event_t is a 40-byte wire record");

// Event codes.
enum { GAME_EV_MG_SHOT = 1, GAME_EV_PELLET = 2, GAME_EV_DIED = 4, GAME_EV_RESPAWNED = 5 };

// Fixed-capacity array of records of one type: append-or-drop, remove by moving
// the last record into the hole. The pool owns `items` from create to free.
template <class T>
struct game_pool_t {
    int32_t in_use;    // 1 while allocated
    int32_t capacity;  // records the storage holds
    int32_t count;     // records in use, the first `count` of items
    T* items;          // storage for `capacity` records
};

constexpr int GAME_OBJECTS_CAPACITY = 2048;
constexpr int GAME_RECTS_CAPACITY = 256;
constexpr int GAME_EVENTS_CAPACITY = 256;
constexpr int GAME_SLOT_COUNT = 12;
constexpr int GAME_PLAYER_ID = 1000;

// Allocate zero-filled storage for `capacity` records; in_use = 1. Returns 0 on
// allocation failure (pool left unallocated).
template <class T>
int game_pool_create(game_pool_t<T>* pool, int capacity) {
    pool->items = new (std::nothrow) T[capacity]();
    if (!pool->items) return 0;
    pool->capacity = capacity;
    pool->count = 0;
    pool->in_use = 1;
    return 1;
}
// Release the storage; in_use = 0, count = capacity = 0.
template <class T>
void game_pool_free(game_pool_t<T>* pool) {
    delete[] pool->items;
    pool->items = nullptr;
    pool->capacity = pool->count = pool->in_use = 0;
}
// Copy `record` into the next free element; dropped when the pool is full. Returns 1 if added.
template <class T>
int game_pool_add(game_pool_t<T>* pool, const T& record) {
    if (pool->count >= pool->capacity) return 0;
    pool->items[pool->count++] = record;
    return 1;
}
// Remove element i by copying the last record over it. Iterating callers step back by one.
template <class T>
void game_pool_remove(game_pool_t<T>* pool, int i) {
    if (i < 0 || i >= pool->count) return;
    if (i != pool->count - 1) pool->items[i] = pool->items[pool->count - 1];
    pool->count--;
}
// Empty the pool (storage kept).
template <class T>
void game_pool_clear(game_pool_t<T>* pool) {
    pool->count = 0;
}

// The game's globals. Lifetime: the whole program run; the pools from game init
// (game_world_init) to game term (game_world_term); reset by game_reset_state.
struct game_world_t {
    game_pool_t<game_obj_t> objects;
    game_pool_t<game_rect_t> rects;
    game_pool_t<game_event_t> events;
    game_obj_t* slots[GAME_SLOT_COUNT];  // slot k -> objects element k + 1
    game_obj_t* player;                  // objects element 0
    vec3 camera_pos;                     // eye position for drawing and sound attenuation
    vec3 camera_rot;                     // eye orientation, same convention as rot
    int32_t bot_spawn_count;             // OBJ_BOT_SPAWN objects, set by the setup
    int32_t bots_alive;                  // single player: bots still in the game
    int32_t remaining;                   // sum over active OBJ_OTHER of 1 + lives
    int32_t respawn_flash;               // ticks left of the player's spawn flash
    int32_t step_timer;                  // ticks until the next footstep may sound
    int32_t hit_sound_timer;             // ticks until the next hit sound may play
    int32_t tick_accum;                  // milliseconds not yet simulated
    int32_t state_send_timer;            // ms until the next state message (multiplayer)
    int32_t chat_timer;                  // ms until the chat box is cleared
    int32_t free_camera;                 // flag: free camera mode
    int32_t debug_draw;                  // flag: debug drawing mode
    int32_t ai_shooting_disabled;        // flag: bots neither aim, fire nor chase
    int32_t multiplayer;                 // flag: networked game
    int32_t connected;                   // flag: the server accepted the game
    int32_t mouse_invert;                // flag: inverted vertical mouse look
    int32_t game_mode;                   // 0 menu, 2 loading, 3 in game
    int32_t clock_ms;                    // the app's 16-bit millisecond clock at this frame (bot strafing)
};

extern game_world_t game_world;

// Objects element i (no bounds check; callers pass indices below objects.count).
inline game_obj_t* game_obj(int i) { return &game_world.objects.items[i]; }
inline game_rect_t* game_rect(int i) { return &game_world.rects.items[i]; }

// A new object value: all zero, then type, flags, age = type, radius 0.5, lives 3,
// health 60, timer 250, pos, rot (pi/2, 0, 0). Callers adjust and append it.
game_obj_t game_obj_create(int type, int flags, vec3 pos);

// A rectangle value.
game_rect_t game_rect_make(int kind, int clip_class, float x1, float y1, float x2, float y2);

// Reset the globals before the pools exist: game_mode 2, free_camera 0, player none,
// camera at (4, 2, 1) looking (0, 0, 0).
void game_reset_state();

// Create the three pools (2048 objects zero-filled, 256 rects, 256 events) and point
// `player` at objects element 0. Returns 0 if an allocation failed.
int game_world_init();

// Free the three pools; `player` and the slots become null.
void game_world_term();

// Queue an event; dropped (returns 0) when the events pool is full.
int game_event_queue(const game_event_t& ev);

// Take up to `max` queued events, oldest first, into out[]; the rest stay queued in
// order for the next message. Returns the number taken.
int game_events_take(game_event_t* out, int max);
