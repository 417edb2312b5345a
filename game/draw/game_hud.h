// The numbers behind the frame's picture, without GL: loading-screen colour,
// field of view, first-person weapon pose, crosshair, compose tint and the HUD
// pieces (window rectangles with their GUI-atlas cells). game_draw_frame draws
// what these compute; tests check them against hand-worked values.
// Depends on kx_math only.
#pragma once

#include <cstdint>

#include "engine/math/kx_math.h"

// Loading screen clear colour for progress 0..100 at the 16-bit millisecond clock time.
void game_loader_color(int progress, uint16_t time, float out[4]);

// Half-size of the in-game frustum: base 1.8 with the wide option (GUI item 34 on) else 1.5,
// plus the spawn flash and, while dead with timer < 250, the death widening.
float game_fov_size(int wide, int respawn_flash, int dead, int timer);

// Where the first-person weapon sits (eye space before the view scale of 8).
vec3 game_weapon_pose(int weapon, int cooldown, int switch_timer, float walked);

// Compose tint "u_color": brightens with the spawn flash, reddens with hit_flash,
// turns white over the last 83 ticks of a death.
void game_compose_color(int respawn_flash, int hit_flash, int dead, int timer, float out[4]);

// One textured rectangle: corners (x1, y1)-(x2, y2), texture (u1, v1)-(u2, v2).
struct game_rect_uv_t {
    float x1, y1, x2, y2;
    float u1, v1, u2, v2;
};

// The crosshair in unit-square coordinates for the weapon in hand.
game_rect_uv_t game_crosshair_rect(int weapon, float aspect);

// What the HUD shows.
struct game_hud_state_t {
    int width, height;  // window pixels
    uint16_t time;      // millisecond clock (health bar blink)
    int dead, health, lives, weapon, ammo;
    int multiplayer, bots_alive, remaining;
};

enum { GAME_HUD_MAX_PIECES = 64 };

// HUD unit: width / 720 + 1 pixels (integer division).
int game_hud_unit(int width);
// Health bar fill: 0.05 + 0.9 * health / 60 alive, 0 dead.
float game_hud_hp(int dead, int health);

// The HUD pieces in drawing order (weapon icon, second icon, ammo ticks, health bar,
// health frame, lives, opponents) in window pixels, y down. Returns the count
// (at most max; pieces beyond are dropped).
int game_hud_pieces(const game_hud_state_t* s, game_rect_uv_t* out, int max);
