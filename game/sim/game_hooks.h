// The simulation's outlets to the parts of the program it must not depend on:
// sounds, HUD texts, the victory text, the game-over handler, held keys, the own
// network id, the multiplayer death bookkeeping and shot/hit notices (statistics). The GUI, audio and network
// code install real functions; until then every hook is a harmless default, so
// the simulation runs headless (tests, tools). Depends on nothing.
#pragma once

// Sounds, in the order the game loads them.
enum {
    GAME_SND_SINGLE_SHOT = 0,  // "sounds/single-shot.ogg"
    GAME_SND_HEALTHKIT,        // "sounds/healthkit-mono.ogg"
    GAME_SND_SHOT_AND_RELOAD,  // "sounds/shot-and-reload.ogg"
    GAME_SND_RELOAD,           // "sounds/reload-mono.ogg"
    GAME_SND_HIT,              // "sounds/hit.ogg"
    GAME_SND_PLAYER_HIT,       // "sounds/player-hit.ogg"
    GAME_SND_EXPLOSION,        // "sounds/explosion.ogg"
    GAME_SND_PLAYER_SHOT,      // "sounds/player-shot.ogg"
    GAME_SND_STEP0,            // "sounds/step0.ogg" .. step3 follow
    GAME_SND_STEP1,
    GAME_SND_STEP2,
    GAME_SND_STEP3,
    GAME_SND_COUNT
};

// Keys the tick polls (movement and free camera). The shell maps them to its
// native codes in the key_held hook.
enum {
    GAME_KEY_W = 0,
    GAME_KEY_A,
    GAME_KEY_S,
    GAME_KEY_D,
    GAME_KEY_UP,
    GAME_KEY_DOWN,
    GAME_KEY_LEFT,
    GAME_KEY_RIGHT,
    GAME_KEY_SHIFT_L,
    GAME_KEY_SHIFT_R,
    GAME_KEY_SPACE,
    GAME_KEY_CTRL_L,
    GAME_KEY_I,
    GAME_KEY_J,
    GAME_KEY_K,
    GAME_KEY_L,
    GAME_KEY_COUNT
};

struct game_hooks_t {
    // Play a sound. plain = 1: full gain through kx_sound_play; plain = 0: through
    // kx_sound_play_ex (loop 0, source -1, gain).
    void (*play_sound)(int sound, int plain, float gain);
    // Show (1) or hide (0) the victory text (GUI item 78).
    void (*show_victory)(int show);
    // Text of the mode line (GUI item 79), already formatted.
    void (*hud_mode_line)(const char* text);
    // The lives line (GUI item 77): the local player's lives and whether it shows.
    void (*hud_lives)(int lives, int visible);
    // The game-over handler; the default sets game_mode to 0 so the world stops.
    void (*game_over)();
    // 1 while the game key (GAME_KEY_*) is held.
    int (*key_held)(int game_key);
    // 1 while the chat input screen is open (movement keys then do nothing).
    int (*chat_open)();
    // The own network id (netman id) for queued events.
    int (*own_net_id)();
    // The local player died in a multiplayer game: count the death and add the kill
    // line for `killer` to the chat box.
    void (*local_death)(int killer);
    // Send the own state with the queued events (multiplayer frame, every 50 ms or
    // at once when events wait); the sender takes the events it sends.
    void (*send_state)();
    // Empty the chat box (its timer ran out).
    void (*clear_chat)();
    // Object i fired one shot (any weapon; a spread-gun shot is one shot of six pellets).
    void (*shot_fired)(int i);
    // A bullet of shooter `shooter_id` hit player object `target`.
    void (*bullet_hit)(int target, int shooter_id);
};

// The installed hooks; every member is always callable (defaults are installed
// statically; game_hooks_reset puts them back).
extern game_hooks_t game_hooks;

// Put every hook back to its default.
void game_hooks_reset();
