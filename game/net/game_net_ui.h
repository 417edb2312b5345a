// The network code's outlets to what the player sees: GUI item texts, the
// remote players' name labels, the menu screens, the cursor and the clock.
// The program installs real functions once the GUI exists; until then every
// outlet is a harmless default, so the network handlers run headless (tests,
// tools, the fuzzer). Depends on nothing.
#pragma once

#include <cstdint>

// GUI items the network code addresses by number.
enum {
    GAME_NET_ITEM_STATUS = 38,       // text of the connection status screen
    GAME_NET_ITEM_SERVER_LINE = 59,  // server line of the status screen
    GAME_NET_ITEM_SCORE_NAMES = 60,
    GAME_NET_ITEM_SCORE_FRAGS = 61,
    GAME_NET_ITEM_SCORE_DEATHS = 62,
    GAME_NET_ITEM_SCORE_PING = 63,
    GAME_NET_ITEM_CHAT_BOX = 65,
    GAME_NET_ITEM_KILL_WORD = 106,     // placed between killer and victim
    GAME_NET_ITEM_KILLED_BY = 107,     // starts the line of the local player's death
    GAME_NET_ITEM_CONNECTED = 111,     // chat line when the connection is made
    GAME_NET_ITEM_DISCONNECTED = 112,  // fallback disconnect message
    GAME_NET_ITEM_SERVER_CAPTION = 113,
};
constexpr int GAME_NET_SCREEN_STATUS = 37;

struct game_net_ui_t {
    // Current text of a GUI item ("" for none); valid until the item changes.
    const char* (*item_text)(int item);
    // The item's base text from the language file ("" for none).
    const char* (*item_base_text)(int item);
    // Set an item's current text (copied, cut to the item's room) and re-render it.
    void (*set_item_text)(int item, const char* text);
    // Rebuild the twelve name labels of the remote slots (names[k] for slot k; "" for none).
    void (*name_labels)(const char* const names[12]);
    // The connection ended with a message: go to the status screen (item 38 is set).
    void (*connection_error)();
    // The server connection is made: start the multiplayer game and show it.
    void (*start_multi)();
    // Item number of the screen shown now.
    int (*current_screen)();
    // Release the pointer lock.
    void (*unlock_cursor)();
    // The millisecond clock, low 16 bits.
    uint16_t (*clock)();
};

// The installed outlets; every member is always callable.
extern game_net_ui_t game_net_ui;

// Put every outlet back to its default.
void game_net_ui_reset();
