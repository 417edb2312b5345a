// libFuzzer harness of the game's network handlers: state broadcasts (TCP and UDP),
// user lists and texts go through netman's receive path into the game, one after
// the other, so a user list shapes the broadcasts that follow it. Input records:
// u8 kind, u16 length, that many bytes (cut at the end of the input).
// Checks: the chat box and score texts stay within their room, the slots stay the
// twelve, the objects pool within its capacity. The log goes to /dev/null.
#include <cstdio>
#include <cstring>

#include "engine/net/kx_netman.h"
#include "game/net/game_chat.h"
#include "game/net/game_net.h"
#include "game/net/game_net_ui.h"
#include "game/sim/game_setup.h"
#include "game/sim/game_world.h"

namespace {

constexpr int ITEMS = 128;
char g_text[ITEMS][GAME_CHAT_ROOM];
int g_objects_at_start = 0;

void check(bool ok) {
    if (!ok) __builtin_trap();
}
const char* item_text(int item) { return item >= 0 && item < ITEMS ? g_text[item] : ""; }
const char* base_text(int item) { return item == 106 ? "killed" : item == 111 ? "Connected" : ""; }
void set_text(int item, const char* t) {
    check(std::strlen(t) < GAME_CHAT_ROOM);  // every text the game builds fits an item
    if (item >= 0 && item < ITEMS) std::snprintf(g_text[item], GAME_CHAT_ROOM, "%s", t);
}
void labels(const char* const names[GAME_SLOT_COUNT]) {
    for (int k = 0; k < GAME_SLOT_COUNT; k++) check(std::strlen(names[k]) < 32);
}

void feed(int kind, const uint8_t* p, int len) {
    switch (kind % 5) {
        case 0:
            kx_netman_handle_tcp(&game_netman, 0x119, p, len);
            break;
        case 1: {
            uint8_t h[16] = {2, 0, 0, 0, 0x19, 0x01, 0, 0, 17, 0, 0, 0, 0xE7, 0x04, 0, 0};
            kx_net_put_u16(h + 2, (uint16_t)len);
            kx_netman_handle_udp(&game_netman, h, p);
            break;
        }
        case 2:
            kx_netman_handle_tcp(&game_netman, 0x109, p, len);
            break;
        case 3:
            kx_netman_handle_tcp(&game_netman, 0x110, p, len);
            break;
        default:
            game_chat_add_text((const char*)p, len);
            break;
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    std::freopen("/dev/null", "w", stdout);
    if (!game_world_init()) return 1;
    game_net_init();
    game_net_ui.item_text = item_text;
    game_net_ui.item_base_text = base_text;
    game_net_ui.set_item_text = set_text;
    game_net_ui.name_labels = labels;
    game_world.multiplayer = 1;
    game_logic_start_new_game();
    g_objects_at_start = game_world.objects.count;
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    game_world.objects.count = g_objects_at_start;  // drop what the last input added
    game_netman.users.count = 0;
    game_netman.id = 17;
    g_text[GAME_NET_ITEM_CHAT_BOX][0] = 0;
    while (size >= 3) {
        const int kind = data[0];
        int len = data[1] | data[2] << 8;
        data += 3, size -= 3;
        if ((size_t)len > size) len = (int)size;
        // A copy of exactly len bytes, so ASan sees any read past what arrived.
        uint8_t* msg = new uint8_t[len > 0 ? len : 1];
        std::memcpy(msg, data, len);
        feed(kind, msg, len);
        delete[] msg;
        data += len, size -= len;
        check(std::strlen(g_text[GAME_NET_ITEM_CHAT_BOX]) <= GAME_CHAT_ROOM - 1);
        check(game_world.objects.count <= game_world.objects.capacity);
        check(game_netman.users.count <= KX_NETMAN_MAX_USERS);
    }
    return 0;
}
