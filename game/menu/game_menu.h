// The menus on top of the GUI: which screen is shown, the animated transition
// between screens, and what every menu button does (start a game, connect, leave,
// pause, resume, chat, the options, language, quit). Screens and buttons are GUI
// items known by number; the GUI files (assets/gui/ironvale.gui) honour them.
// The program calls game_menu_init once the GUI files are loaded, drives the
// transitions through kx_app's timers, and installs the hooks below for the parts
// that belong to it. Main thread only.
// Depends on kx_gui, kx_netman, kx_app (timers, cursor, fullscreen, keys, quit),
// game_world and game_setup (game_mode, new games), game_fbo (multisampling),
// game_menu_server and game_net_connect (the server field, connecting).
#pragma once

#include <cstdint>

#include "engine/app/kx_app.h"
#include "engine/net/kx_netman.h"

// Screens.
enum {
    GAME_SCREEN_MAIN = 15,
    GAME_SCREEN_OPTIONS = 27,
    GAME_SCREEN_STATUS = 37,
    GAME_SCREEN_PAUSE = 40,
    GAME_SCREEN_GAME_OVER = 44,
    GAME_SCREEN_MULTIPLAYER = 48,
    GAME_SCREEN_CHAT = 53,
    GAME_SCREEN_IN_GAME = 71
};

// Items the menus read or write.
enum {
    GAME_ITEM_STATUS = 38,       // connection status / error text
    GAME_ITEM_NAME = 50,         // player name field
    GAME_ITEM_CONNECT = 51,      // connect button
    GAME_ITEM_CHAT_FIELD = 55,   // chat input field
    GAME_ITEM_SCORES = 58,       // score table (Tab)
    GAME_ITEM_SERVER_LINE = 59,  // "Server: host:port", the score table's heading
    GAME_ITEM_CHAT_BOX = 65,     // chat lines
    GAME_ITEM_SERVER_WORD = 113, // "Server" caption of the server line
    GAME_ITEM_SERVER_FIELD = 114 // server host field of the multiplayer screen (for the network code)
};

enum { GAME_MENU_STYLE_A = 0, GAME_MENU_STYLE_B = 1 };
constexpr uint16_t GAME_MENU_DURATION = 310;       // ms, every transition but opening the chat
constexpr uint16_t GAME_MENU_CHAT_DURATION = 103;  // ms, opening the chat
constexpr int GAME_MENU_PORT = 25280;
constexpr const char* GAME_MENU_DEFAULT_HOST = "localhost";
constexpr int GAME_MENU_HOST_SIZE = 64;

// What the program owns; each hook may stay null (then nothing happens).
struct game_menu_hooks_t {
    void (*name_labels)(const char* const names[12]);  // rebuild the twelve name labels, centred
    void (*anisotropy)(int level);  // anisotropy 4 or 1 of grass.png, crystal.png, t1.png
    // The player changed what `item` holds: an option (29 to 34, 33 when the sensitivity
    // slider is let go), the language (16), or the name and server of a connect (51).
    void (*changed)(int item);
};

// Menu state. Lifetime: the program run; reset by game_menu_init.
struct game_menu_t {
    int current;  // screen shown (15 after init)
    int back;     // screen game_menu_back returns to
    int from, to; // screens of the running or last transition
    int style;    // GAME_MENU_STYLE_A or _B of that transition
    kx_timer_t timer;
    int language;    // 0: English (lang1) loaded, 1: Russian (lang0)
    int anisotropy;  // the texture anisotropy option
    char server_host[GAME_MENU_HOST_SIZE];  // connect's host without Shift
    kx_netman_t* netman;                     // not owned; null: no network
    game_menu_hooks_t hooks;
};

extern game_menu_t game_menu;

// Reset the state (screen 15, back 15, English, host GAME_MENU_DEFAULT_HOST), keep
// `netman`, install the button handlers in slot 20 of their items (the slider's in
// slot 17, release) and hide items 73, 74 and 75. Call after the GUI files are loaded (again after a reload).
void game_menu_init(kx_netman_t* netman);

// Go to `screen` with a transition of `style` lasting `duration_ms` (0 counts as 1);
// nothing when it is already the current screen. A running transition is finished
// first. A screen the GUI does not hold becomes current without drawing anything.
void game_menu_goto(int screen, int style, uint16_t duration_ms);
// 1 while a transition runs.
int game_menu_in_transition();

// Screen operations (handlers of the buttons, entry points of the game).
void game_menu_main(int item = 0);
void game_menu_options(int item = 0);
void game_menu_multiplayer(int item = 0);
void game_menu_back(int item = 0);
void game_menu_pause(int item = 0);
void game_menu_resume(int item = 0);
void game_menu_start_single(int item = 0);
void game_menu_start_multi(int item = 0);
void game_menu_leave(int item = 0);
void game_menu_leave_net(int item = 0);
void game_menu_game_over(int item = 0);
void game_menu_connection_error(int item = 0);
void game_menu_connect(int item = 0);
void game_menu_chat_open(int item = 0);
void game_menu_chat_close(int item = 0);
void game_menu_chat_send(int item = 0);
void game_menu_quit(int item = 0);
void game_menu_language(int item = 0);  // keeps a name other than the language's own
// The options (checked state = the item's flag 0x2, flipped by the GUI before the call).
void game_menu_option_multisampling(int item = 29);
void game_menu_option_anisotropy(int item = 30);
void game_menu_option_fullscreen(int item = 31);  // checked = windowed
void game_menu_option_invert_mouse(int item = 32);
// The wide field of view box (read when drawing) and the sensitivity slider let go
// (read by mouse look): only the changed hook.
void game_menu_option_wide_fov(int item = 34);
void game_menu_option_sensitivity(int item = 33);

// Escape: from the chat back to the game, in the game to the pause menu, in the
// menus back.
void game_menu_escape();
