// Loading and playing the game's sounds (see game_audio.h).
#include "game/game_audio.h"

#include <cstdio>
#include <cstdlib>

#include "engine/app/kx_log.h"

kx_sound_t game_sounds[GAME_SND_COUNT];
int game_audio_plays = 0;

namespace {
const char* const kPaths[GAME_SND_COUNT] = {
    "sounds/single-shot.ogg", "sounds/healthkit-mono.ogg", "sounds/shot-and-reload.ogg", "sounds/reload-mono.ogg",
    "sounds/hit.ogg",         "sounds/player-hit.ogg",     "sounds/explosion.ogg",       "sounds/player-shot.ogg",
    "sounds/step0.ogg",       "sounds/step1.ogg",          "sounds/step2.ogg",           "sounds/step3.ogg"};
const int kUnloadOrder[GAME_SND_COUNT] = {
    GAME_SND_STEP0,     GAME_SND_STEP1,     GAME_SND_STEP2,       GAME_SND_STEP3,
    GAME_SND_PLAYER_HIT, GAME_SND_HEALTHKIT, GAME_SND_HIT,        GAME_SND_EXPLOSION,
    GAME_SND_SINGLE_SHOT, GAME_SND_RELOAD,  GAME_SND_SHOT_AND_RELOAD, GAME_SND_PLAYER_SHOT};
}  // namespace

const char* game_sound_path(int s) { return s >= 0 && s < GAME_SND_COUNT ? kPaths[s] : ""; }

void game_audio_load() {
    for (int s = 0; s < GAME_SND_COUNT; s++) {
        // The decoder's own exit says little; name the file and the cure first.
        if (FILE* f = std::fopen(kPaths[s], "rb")) {
            std::fclose(f);
        } else {
            kxLog("Missing game sound %s: rebuild the assets (cmake --build <build dir> --target assets) \n",
                  kPaths[s]);
            std::exit(1);
        }
        kx_sound_load_ogg(&game_sounds[s], kPaths[s]);
    }
}

void game_audio_unload() {
    for (int s : kUnloadOrder) kx_sound_unload(&game_sounds[s]);
}

void game_audio_play(int sound, int plain, float gain) {
    if (sound < 0 || sound >= GAME_SND_COUNT) return;
    game_audio_plays++;
    if (plain)
        kx_sound_play(&game_sounds[sound]);
    else
        kx_sound_play_ex(&game_sounds[sound], 0, -1, gain);
}
