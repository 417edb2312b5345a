// The game's netman handlers and state sender (see game_net.h).
// Depends on kx_netman, kx_log, game_net_msg, game_chat, game_net_connect, game_net_ui, game_sim.
#include "game/net/game_net.h"

#include <cstdio>
#include <cstring>

#include "engine/app/kx_log.h"
#include "engine/net/kx_sock.h"
#include "game/net/game_chat.h"
#include "game/net/game_net_connect.h"
#include "game/net/game_net_msg.h"
#include "game/net/game_net_ui.h"
#include "game/sim/game_hooks.h"
#include "game/sim/game_query.h"

kx_netman_t game_netman;

namespace {

// Network id shown in each slot by the last broadcast (0: none yet). Lifetime: the run.
uint16_t g_slot_id[GAME_SLOT_COUNT];

// A column of the score table: the item's base text, then one row per user.
struct column_t {
    char s[2048];
    int n;
};
void column_start(column_t* c, int item) {
    c->n = std::snprintf(c->s, sizeof c->s, "%s", game_net_ui.item_base_text(item));
    if (c->n >= (int)sizeof c->s) c->n = (int)sizeof c->s - 1;
}
void column_add(column_t* c, const char* text) {
    int w = std::snprintf(c->s + c->n, sizeof c->s - c->n, "%s\n", text);
    c->n += w < (int)sizeof c->s - c->n ? w : (int)sizeof c->s - c->n - 1;
}
void column_add_int(column_t* c, int v) {
    char t[16];
    std::snprintf(t, sizeof t, "%d", v);
    column_add(c, t);
}

kx_netman_user_t* user_by_id(uint32_t id) {
    int i = kx_netman_find_user(&game_netman, id);
    return i < 0 ? nullptr : &game_netman.users.items[i];
}

// Under IRONVALE_NET_TRACE, the score table as its items hold it, one line whenever a
// name, frag or death count changed: "net: score NAME FRAGS DEATHS | ...", "-" for a
// cell not filled yet (a new user list empties the counts until the next broadcast).
void trace_score_table() {
    static char last[1024];
    if (!game_net_tracing()) return;
    const char* col[3];
    for (int c = 0; c < 3; c++) {
        col[c] = game_net_ui.item_text(GAME_NET_ITEM_SCORE_NAMES + c);  // names, frags, deaths
        const char* nl = std::strchr(col[c], '\n');                     // past the caption
        col[c] = nl ? nl + 1 : "";
    }
    char now[sizeof last];
    int n = 0;
    now[0] = 0;
    while (*col[0] && n < (int)sizeof now - 1) {
        char cell[3][48];
        for (int c = 0; c < 3; c++) {
            const int len = (int)std::strcspn(col[c], "\n");
            std::snprintf(cell[c], sizeof cell[c], "%.*s", len > 0 ? len : 1, len > 0 ? col[c] : "-");
            col[c] += len + (col[c][len] == '\n');
        }
        n += std::snprintf(now + n, sizeof now - n, "%s%s %s %s", n ? " | " : "", cell[0], cell[1], cell[2]);
    }
    if (std::strcmp(now, last) == 0) return;
    std::snprintf(last, sizeof last, "%s", now);
    kxLog("net: score %s \n", now);
}

// A kill line into the chat box, logged too under IRONVALE_NET_TRACE.
void kill_line(const char* line) {
    game_chat_add_line(line);
    if (game_net_tracing()) kxLog("net: chat %s \n", line);
}

void apply_userlist() {
    game_world.connected = 1;
    column_t names, frags, deaths, ping;
    column_start(&names, GAME_NET_ITEM_SCORE_NAMES);
    column_start(&frags, GAME_NET_ITEM_SCORE_FRAGS);
    column_start(&deaths, GAME_NET_ITEM_SCORE_DEATHS);
    column_start(&ping, GAME_NET_ITEM_SCORE_PING);
    const char* labels[GAME_SLOT_COUNT];
    for (const char*& l : labels) l = "";
    int label = 0;
    for (int i = 0; i < game_netman.users.count; i++) {
        const kx_netman_user_t& u = game_netman.users.items[i];
        column_add(&names, u.name);
        // Only twelve remote slots exist, however many users the server lists.
        if (u.id != game_netman.id && label < GAME_SLOT_COUNT) labels[label++] = u.name;
    }
    game_net_ui.name_labels(labels);
    game_net_ui.set_item_text(GAME_NET_ITEM_SCORE_NAMES, names.s);
    game_net_ui.set_item_text(GAME_NET_ITEM_SCORE_FRAGS, frags.s);
    game_net_ui.set_item_text(GAME_NET_ITEM_SCORE_DEATHS, deaths.s);
    game_net_ui.set_item_text(GAME_NET_ITEM_SCORE_PING, ping.s);
    trace_score_table();
}

// Rectangle r is a walkable floor area that holds the disc, edges included: a player
// who walked into a wall stands on its area's edge (up to rounding).
bool floor_holds(int r, vec3 p, float radius) {
    if (r <= 0 || r >= game_world.rects.count) return false;
    const game_rect_t& a = *game_rect(r);
    constexpr float slack = 1e-3f;
    return a.kind == RECT_AREA && a.clip_class == CLIP_SOLID && p.x - radius >= a.x1 - slack &&
           p.x + radius <= a.x2 + slack && p.y - radius >= a.y1 - slack && p.y + radius <= a.y2 + slack;
}

// The slot's floor area must hold where its player stands: the next move clamps the
// figure into that area, which may still be the one of the slot's previous player, or
// the dummy area 0 of a slot never placed, and the strict area search of the move
// refuses a player standing against a wall. No area holding it: the area stays.
void settle_area(game_obj_t* o) {
    if (floor_holds(o->area, o->pos, o->radius)) return;
    for (int r = 1; r < game_world.rects.count; r++) {
        if (floor_holds(r, o->pos, o->radius)) {
            o->area = r;
            return;
        }
    }
}

void apply_entry(int k, const game_net_entry_t& e, int own_ping) {
    g_slot_id[k] = e.id;
    game_obj_t* o = game_world.slots[k];
    const game_user_state_t& st = e.state;
    o->pos = kx_vec3(st.pos_x, st.pos_y, 0.5f);
    o->vel = kx_vec3(st.vel_x, st.vel_y, 0);
    o->wish_vel = kx_vec3(st.wish_x, st.wish_y, 0);
    o->active = 1;
    o->health = st.health > 59 ? 60 : 59;
    o->dead = st.dead;
    settle_area(o);
    // The state is half a round trip of each side old: move it on by that many ticks.
    const int d = e.ping / 2 + own_ping / 2;
    const float t = (float)d / 10.0f;
    o->pos.x += o->vel.x * t;
    o->pos.y += o->vel.y * t;
}

void add_object(int type, vec3 pos) { game_pool_add(&game_world.objects, game_obj_create(type, 0, pos)); }

void add_bullet(int kind, const game_event_t& ev, vec3 pos) {
    game_obj_t b = game_obj_create(OBJ_BULLET, 0, pos);
    b.bullet_kind = kind;
    b.id = ev.owner;
    b.radius = 0.01f;
    b.vel = ev.vel;
    game_pool_add(&game_world.objects, b);
}

void apply_event(const game_event_t& ev, int own_ping, int* pellet_sound) {
    const kx_netman_user_t* sender = user_by_id(ev.sender);
    const int d = sender ? sender->ping / 2 + own_ping / 2 : own_ping * 3 / 5;
    switch (ev.code) {
        case GAME_EV_MG_SHOT:
            game_hooks.play_sound(GAME_SND_PLAYER_SHOT, 0, game_sound_volume(ev.pos));
            add_bullet(1, ev, kx_vec3_add(ev.pos, kx_vec3_scale(ev.vel, 2.0f * ((float)d / 10.0f))));
            break;
        case GAME_EV_PELLET:
            add_bullet(0, ev, ev.pos);
            if (*pellet_sound) {
                *pellet_sound = 0;
                game_hooks.play_sound(GAME_SND_SINGLE_SHOT, 0, game_sound_volume(ev.pos));
            }
            break;
        case GAME_EV_DIED: {
            if (ev.killer == game_netman.id) game_netman.frags++;
            add_object(OBJ_FX_EXPLOSION, ev.pos);
            game_hooks.play_sound(GAME_SND_EXPLOSION, 0, game_sound_volume(ev.pos));
            const kx_netman_user_t* killer = user_by_id(ev.killer);
            if (killer && sender) {
                char line[128];
                std::snprintf(line, sizeof line, "%s %s %s", killer->name,
                              game_net_ui.item_text(GAME_NET_ITEM_KILL_WORD), sender->name);
                kill_line(line);
            }
            break;
        }
        case GAME_EV_RESPAWNED: {
            add_object(OBJ_FX_RESPAWN, ev.pos);
            const float dist2 = kx_vec3_dist2(game_world.player->pos, ev.pos);
            game_hooks.play_sound(GAME_SND_RELOAD, 0, 1.0f / (1.0f + 0.01f * dist2));
            break;
        }
        default:
            break;
    }
}

void apply_events(const game_net_bcast_t& b, int own_ping) {
    int pellet_sound = 1;
    for (int i = 0; i < b.units; i++) apply_event(game_net_bcast_event(b, i), own_ping, &pellet_sound);
    if (b.bad_unit >= 0) {
        kxLog("CRITICAL Warning, event_len=%d instead of %d \n", b.bad_len, KX_NETMAN_EVENT_SIZE);
        const int n = b.events_room / 2 < 20 ? b.events_room / 2 : 20;
        for (int i = 0; i < n; i++) kxLog("%d, ", kx_net_get_u16(b.events + 2 * i));
        kxLog("%s\n", "");
    } else if (b.units < b.event_count) {
        kxLog("Game: broadcast announced %d events, %d arrived \n", b.event_count, b.units);
    }
}

void apply_score_table() {
    column_t ping, frags, deaths;
    column_start(&ping, GAME_NET_ITEM_SCORE_PING);
    column_start(&frags, GAME_NET_ITEM_SCORE_FRAGS);
    column_start(&deaths, GAME_NET_ITEM_SCORE_DEATHS);
    for (int i = 0; i < game_netman.users.count; i++) {
        const kx_netman_user_t& u = game_netman.users.items[i];
        column_add_int(&ping, u.ping);
        column_add_int(&frags, u.frags);
        column_add_int(&deaths, u.deaths);
    }
    game_net_ui.set_item_text(GAME_NET_ITEM_SCORE_PING, ping.s);
    game_net_ui.set_item_text(GAME_NET_ITEM_SCORE_FRAGS, frags.s);
    game_net_ui.set_item_text(GAME_NET_ITEM_SCORE_DEATHS, deaths.s);
    trace_score_table();
}

void apply_broadcast(const uint8_t* msg, int len) {
    game_net_bcast_t b;
    if (game_net_read_bcast(msg, len, &b) != 0) {
        kxLog("Game: state broadcast of %d bytes is shorter than its header \n", len);
        return;
    }
    game_netman.ping = b.ping;
    const bool world = game_world.player != nullptr;  // the pools exist
    for (int k = 0; k < b.entries_read; k++) {
        const game_net_entry_t& e = b.entries[k];
        if (e.st_len != KX_NETMAN_USER_STATE_SIZE)
            kxLog("WARNING, st_len=%d, but sizeof(game_user_state_t)=%d \n", e.st_len,
                  KX_NETMAN_USER_STATE_SIZE);
        kx_netman_user_t* u = user_by_id(e.id);
        if (!u) {
            kxLog("Error, got state for unknown user (id=%d) \n", e.id);
            continue;
        }
        u->ping = e.ping;
        u->frags = e.frags;
        u->deaths = e.deaths;
        if (world) apply_entry(k, e, b.ping);
    }
    const int listed = b.count < 0 ? 0 : (b.count > GAME_SLOT_COUNT ? GAME_SLOT_COUNT : b.count);
    for (int k = listed; world && k < GAME_SLOT_COUNT; k++) game_world.slots[k]->active = 0;
    if (world) apply_events(b, b.ping);
    // Our own row after the events, so a kill in this message shows at once.
    if (kx_netman_user_t* me = user_by_id(game_netman.id)) {
        me->ping = game_netman.ping;
        me->frags = game_netman.frags;
        me->deaths = game_netman.deaths;
    }
    apply_score_table();
}

int own_net_id() { return (int)game_netman.id; }

}  // namespace

void game_net_init() {
    kx_netman_init(&game_netman, GAME_NET_APP_VERSION);
    game_netman.OnBuffer = game_net_on_buffer;
    game_netman.OnConnect = game_net_on_connect;
    game_netman.OnDisconnect = GameNetManOnDisconnect;
    kxLog("\n\n\nOnBuffer = %08x\n\n\n", (unsigned)(uintptr_t)game_netman.OnBuffer);
    game_hooks.own_net_id = own_net_id;
    game_hooks.local_death = game_net_local_death;
    game_hooks.send_state = game_net_send_state;
    game_hooks.clear_chat = game_chat_clear;
}

void game_net_term() { kx_netman_term(&game_netman); }

void game_net_send_state() {
    game_event_t ev[GAME_NET_EVENTS_PER_MSG];
    const int n = game_events_take(ev, GAME_NET_EVENTS_PER_MSG);
    const game_user_state_t st =
        game_world.player ? game_net_state_of(game_world.player) : game_user_state_t{};
    uint8_t buf[GAME_NET_MSG_ROOM] = {};
    kx_netman_t* nm = &game_netman;
    const int len = game_net_build_state(buf, sizeof buf, (uint16_t)nm->id, nm->ping, game_net_ui.clock(),
                                         nm->frags, nm->deaths, st, ev, n);
    if (n == 0)
        kx_netman_send_udp(nm, KX_NETMAN_STATE, buf, len);
    else
        kx_netman_send(nm, KX_NETMAN_STATE, buf, len);
}

int game_net_on_buffer(uint32_t sender, int type, const uint8_t* payload, int len) {
    switch (type) {
        case KX_NETMAN_TEXT:
            // Texts come from the server's TCP relay only; a datagram carrying one is not taken.
            if (sender == 0) game_chat_add_text((const char*)payload, payload ? len : 0);
            break;
        case KX_NETMAN_GREETING:
            game_chat_add_line(game_netman.server_name);
            break;
        case KX_NETMAN_USERLIST:
            apply_userlist();
            break;
        case KX_NETMAN_STATE_BROADCAST:
            apply_broadcast(payload, payload ? len : 0);
            break;
        default:
            break;
    }
    return 0;
}

int game_net_on_connect(kx_netman_t* netman, int, int) {
    if (!game_net_connect_take()) {
        kxLog("%s\n", "Game: the connection came after the player left; closing it");
        kx_netman_disconnect(netman, KX_NETMAN_REASON_LEFT, 0);
        return 0;
    }
    game_chat_add_line(game_net_ui.item_text(GAME_NET_ITEM_CONNECTED));
    game_world.multiplayer = 1;
    game_world.connected = 0;
    game_world.game_mode = 3;
    game_net_ui.start_multi();
    return 0;
}

const char* game_net_disconnect_message(int reason, int code) {
    const bool connect_failed = reason == KX_SOCK_REASON_CONNECT || reason == KX_SOCK_REASON_CONNECT_ERROR;
    switch (reason) {
        case KX_SOCK_REASON_VERSION:
            return "Socket Protocol version mismatch";
        case KX_NETMAN_REASON_VERSION:
            return "Netman Protocol version mismatch";
        case KX_NETMAN_REASON_APP_VERSION:
            return "Game protocol version mismatch";
        case KX_SOCK_REASON_RESOLVE:
            return "Cannot resolve DNS";
        case KX_SOCK_REASON_SEND_ZERO:
            return "Lost connection to server";
        case -5:
            return "Disconnected by user";
        case 111:
            return "Connection refused";
        case GAME_NET_REASON_TIMEOUT:
            return "Connection timed out";
        default:
            break;
    }
    if (connect_failed && kx_sock_refused(code)) return "Connection refused";
    if (connect_failed && kx_sock_timed_out(code)) return "Connection timed out";
    return nullptr;
}

int GameNetManOnDisconnect(kx_netman_t*, int reason, int code) {
    game_net_ui.unlock_cursor();
    kxLog("%s\n", "GameNetManOnDisconnect");
    game_world.connected = 0;
    game_net_connect_clear();
    if (reason == KX_NETMAN_REASON_LEFT) return 0;
    const char* msg = game_net_disconnect_message(reason, code);
    char text[256];
    std::snprintf(text, sizeof text, "%s (Error: %d) (Code: %d)",
                  msg ? msg : game_net_ui.item_text(GAME_NET_ITEM_DISCONNECTED), reason, code);
    game_net_ui.set_item_text(GAME_NET_ITEM_STATUS, text);
    game_net_ui.set_item_text(GAME_NET_ITEM_CHAT_BOX, "");
    game_world.game_mode = 0;
    game_net_ui.connection_error();
    return 0;
}

void game_net_trace() {
    if (!game_world.player) return;
    for (int k = 0; k < GAME_SLOT_COUNT; k++) {
        const game_obj_t* o = game_world.slots[k];
        if (!o->active) continue;
        const kx_netman_user_t* u = user_by_id(g_slot_id[k]);
        kxLog("net: slot %d %s at %.2f %.2f%s \n", k, u ? u->name : "?", o->pos.x, o->pos.y,
              o->dead ? " dead" : "");
    }
}

void game_net_local_death(int killer) {
    game_netman.deaths++;
    if (const kx_netman_user_t* k = user_by_id((uint32_t)killer)) {
        char line[128];
        std::snprintf(line, sizeof line, "%s %s ", game_net_ui.item_text(GAME_NET_ITEM_KILLED_BY), k->name);
        kill_line(line);
    }
}
