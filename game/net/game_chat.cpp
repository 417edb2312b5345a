// Chat box lines (see game_chat.h). Depends on game_net_ui, game_world.
#include "game/net/game_chat.h"

#include <cstdio>
#include <cstring>

#include "game/net/game_net_ui.h"
#include "game/sim/game_world.h"

namespace {

int breaks_after_first(const char* s, int n) {
    int count = 0;
    for (int i = 1; i < n; i++) count += s[i] == '\n';
    return count;
}

}  // namespace

int game_chat_append(char* box, int cap, const char* text, int len) {
    if (cap > GAME_CHAT_ROOM) cap = GAME_CHAT_ROOM;
    if (cap < 2) return 0;
    char tmp[2 * GAME_CHAT_ROOM];
    int total = (int)strnlen(box, cap - 1);
    std::memcpy(tmp, box, total);
    int tlen = text && len > 0 ? (int)strnlen(text, len) : 0;
    if (tlen > cap - 2) tlen = cap - 2;  // the line and its break must fit on their own
    if (tlen > 0) std::memcpy(tmp + total, text, tlen);
    total += tlen;
    tmp[total++] = '\n';
    // The oldest lines go until the box holds eight and fits its room.
    int start = 0;
    while (breaks_after_first(tmp + start, total - start) > GAME_CHAT_LINES || total - start > cap - 1) {
        const char* nl = (const char*)std::memchr(tmp + start, '\n', total - start);
        start = (int)(nl - tmp) + 1;
    }
    std::memcpy(box, tmp + start, total - start);
    box[total - start] = 0;
    return total - start;
}

void game_chat_add_text(const char* text, int len) {
    char box[GAME_CHAT_ROOM];
    std::snprintf(box, sizeof box, "%s", game_net_ui.item_text(GAME_NET_ITEM_CHAT_BOX));
    game_chat_append(box, sizeof box, text, len);
    game_net_ui.set_item_text(GAME_NET_ITEM_CHAT_BOX, box);
    game_world.chat_timer = game_world.chat_timer / 3 + 8500;
}

void game_chat_add_line(const char* text) { game_chat_add_text(text, text ? (int)std::strlen(text) : 0); }

void game_chat_clear() { game_net_ui.set_item_text(GAME_NET_ITEM_CHAT_BOX, "\n\n\n\n\n\n\n\n"); }
