// The game's twelve sounds: loaded at game init in the simulation's sound order,
// played by the simulation's play_sound hook, unloaded at game term.
// A missing sound file ends the program (status 1) with a line naming the file
// and how to rebuild the assets. Main thread only. Depends on kx_sound, game_hooks, kx_log.
#pragma once

#include "engine/audio/kx_sound.h"
#include "game/sim/game_hooks.h"

// Lifetime: game_audio_load .. game_audio_unload.
extern kx_sound_t game_sounds[GAME_SND_COUNT];

// Plays started through game_audio_play since the start (tests and the benchmark read it).
extern int game_audio_plays;

// File of sound s (GAME_SND_*), relative to the asset directory.
const char* game_sound_path(int s);
// Load the twelve sounds in order; a missing one is fatal.
void game_audio_load();
// Unload in the shutdown order: step0-3, player-hit, healthkit, hit, explosion,
// single-shot, reload, shot-and-reload, player-shot.
void game_audio_unload();
// The play_sound hook: plain = full gain on the next source, else play_ex with gain.
void game_audio_play(int sound, int plain, float gain);
