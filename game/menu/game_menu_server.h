// The server field of the multiplayer screen (item 114) beside the name field (50):
// filled with the default server, shown only while its screen is at rest, and Tab or
// a click moves typing between the two fields; the field that takes typing blinks.
// Depends on kx_gui, game_menu, game_net_connect.
#pragma once

constexpr int GAME_ITEM_SERVER_FIELD_ROOM = 63;  // characters the server field takes

// Fill the server field with the default server; typing goes to the name field.
void game_menu_server_init();
// Once per frame: show the field only while screen 48 is current and no transition runs.
void game_menu_server_update();
// The field that takes typed characters on screen 48: 50 or 114.
int game_menu_server_typing_item();
// Move typing to the other field.
void game_menu_server_tab();
// A press on item 50 or 114 moves typing there: 1 when it did, else 0.
int game_menu_server_click(int item);
// The server text connect uses: the field's, or the menu's host when the field is blank.
const char* game_menu_server_text();
