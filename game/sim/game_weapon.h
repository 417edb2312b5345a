// Weapons and bullets: weapon timers and shooting of a player slot, weapon
// switch and reload, and one tick of a bullet's flight and hit test.
// Depends on game_world, game_query, game_hooks.
#pragma once

#include "engine/math/kx_math.h"

// Count down object i's weapon timers and shoot if a shot is requested and the
// weapon is ready; clears the request unless the trigger is held. Nothing while dead.
void game_fire(int i);

// Switch object i to weapon w (0 spread gun, 1 machine gun), or reload when it
// already holds the machine gun and the magazine is not full: 60 ticks without
// shooting and a full magazine.
void game_select_weapon(int i, int w);

// One tick of bullet i: move, then hit a player slot or a wall. Returns 1 when the
// bullet was removed from the pool (the last object now sits at i), else 0.
// `target_end` bounds the scan for targets (no player object lies at or beyond it).
int game_bullet_step(int i, int target_end);

// Queue an event of the local player with the own network id as owner and sender.
void game_event_local(int code, vec3 pos, vec3 vel, int killer);
