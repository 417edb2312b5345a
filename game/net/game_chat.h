// The in-game chat box (GUI item 65): lines are appended at the bottom, the box
// keeps its last eight, and every new line keeps it on screen a little longer.
// Depends on game_net_ui (the item's text) and game_world (chat_timer).
#pragma once

// Room of the chat box's text, NUL included.
constexpr int GAME_CHAT_ROOM = 2048;
// Line breaks the box keeps after its first character.
constexpr int GAME_CHAT_LINES = 8;

// Append the first len bytes of text (fewer when a NUL comes first) and a line break to
// box, a NUL-terminated string with room cap (at most GAME_CHAT_ROOM); then drop the oldest
// line while more than eight line breaks follow the first character or the text does not
// fit. A line longer than the room is cut. Returns the new length.
int game_chat_append(char* box, int cap, const char* text, int len);
// Add a line to the chat box and set chat_timer to chat_timer / 3 + 8500.
void game_chat_add_line(const char* text);
// The same for a received text of at most len bytes that may lack its NUL.
void game_chat_add_text(const char* text, int len);
// Empty the box: its text becomes eight line breaks.
void game_chat_clear();
