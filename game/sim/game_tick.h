// The fixed-step simulation: one 10 ms tick of the whole world (input-driven
// camera, HUD texts, movement, weapons, bots, bullets, effects, health kits,
// respawns, deaths) and the accumulator that runs ticks for a frame's time.
// Depends on game_world, game_move, game_weapon, game_bot, game_input,
// game_query, game_hooks, kx_log.
#pragma once

// Add dt milliseconds to tick_accum and run game_tick while it is above 10,
// taking 10 off each time; the 1..10 ms left carry over (no cap). clock_ms is
// the application's millisecond clock (low 16 bits) for this frame. Returns the
// number of ticks run.
int game_run_ticks(int dt, int clock_ms);

// The simulation part of an in-game frame: in a connected multiplayer game count
// down state_send_timer and send the state when it runs out or events wait; count
// down chat_timer and clear the chat box when it goes below 0; then
// game_run_ticks (dt, clock_ms). Returns the number of ticks run.
int game_frame_step(int dt, int clock_ms);

// One tick of the world.
void game_tick();

// The HUD texts of one tick: the victory text, or `remaining` and the mode line;
// then the lives line.
void game_hud_update();

// The death pass: objects with active = 1 and health <= 0 lose a life, leave the
// game (bots) or end it (local player).
void game_death_pass();
