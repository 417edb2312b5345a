// The menu module driven as a player drives it, over the real GUI content on a real
// GL context: screens and their transitions (modifiers at hand-worked points of the
// two styles), the back screen, every button binding, the options, connect with
// Shift held (a real key event through the X11 shell), chat, the language switch, and the
// server field of the multiplayer screen (shown only with its screen, Tab and clicks move
// typing between name and server, connect takes host or host:port from it).
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "engine/app/kx_app.h"
#include "engine/app/kx_app_loop.h"
#include "engine/gui/kx_gui.h"
#include "engine/net/kx_netman.h"
#include "game/draw/game_fbo.h"
#include "game/menu/game_menu.h"
#include "game/menu/game_menu_server.h"
#include "game/sim/game_world.h"
#include "menu/menu_fixture.h"
// After gtest: Xlib's None macro would break it.
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include "engine/app/x11/kx_x11.h"

namespace {

kx_netman_t netman;
uint64_t now = 100000;
using ints = std::vector<int>;
std::vector<std::string> labels;
std::vector<int> aniso;

void advance(int ms) {
    now += static_cast<uint64_t>(ms);
    kxAppLoopPassBegin(now);
}

// (dx, dy, scale, alpha) of a screen container.
struct modifier_t {
    float dx, dy, scale, alpha;
    bool operator==(const modifier_t&) const = default;
};
std::ostream& operator<<(std::ostream& o, const modifier_t& m) {
    return o << "(" << m.dx << ", " << m.dy << ", " << m.scale << ", " << m.alpha << ")";
}
modifier_t modifier(int screen) {
    const kx_gui_item_t* it = &kx_gui.items[screen];
    return {kx_gui_param(it, 0), kx_gui_param(it, 1), kx_gui_param(it, 2), kx_gui_param(it, 3)};
}
constexpr modifier_t kRest = {0, 0, 1, 1};

bool shown(int i) { return !(kx_gui.items[i].flags & KX_GUI_HIDDEN); }
bool locked(int i) { return (kx_gui.items[i].flags & KX_GUI_LOCKED) != 0; }

// Screens shown, in item order.
std::vector<int> screens_shown() {
    std::vector<int> out;
    for (int s : {15, 27, 37, 40, 44, 48, 53, 71})
        if (shown(s)) out.push_back(s);
    return out;
}

void settle() {
    advance(400);
    game_menu_server_update();
}
bool blinks(int i) { return (kx_gui.items[i].flags & KX_GUI_BLINK) != 0; }

// Press or release a key through the X11 shell's own event dispatch.
void key_event(int type, KeySym sym) {
    XEvent ev{};
    ev.xkey.type = type;
    ev.xkey.display = static_cast<Display*>(kx_app.display);
    ev.xkey.keycode = XKeysymToKeycode(ev.xkey.display, sym);
    kx_x11_dispatch(&ev);
}

class Menu : public testing::Test {
   protected:
    void SetUp() override {
        if (!menu_gui_open(1024, 600)) GTEST_SKIP() << "no display";
        kx_gui_create("gui/ironvale.bin", menu_font(), menu_font(), menu_font());
        kx_gui_load_lang("gui/ironvale.lang1.bin", 0);
        kx_gui_load_coords("gui/ironvale.0.bin");
        if (!game_world.objects.items) {
            game_reset_state();
            game_world_init();
            kx_netman_init(&netman, 256);
        }
        kxAppLoopSetClock(now);
        game_menu.hooks.name_labels = [](const char* const names[12]) { labels.assign(names, names + 12); };
        game_menu.hooks.anisotropy = [](int level) { aniso.push_back(level); };
        game_menu_init(&netman);
        game_world.game_mode = 0;
        kx_app.quit = 0;
        labels.clear();
        aniso.clear();
    }
    void TearDown() override {
        kx_netman_disconnect(&netman, KX_NETMAN_REASON_LEFT, 0);
        settle();
    }
};

TEST_F(Menu, StartsOnTheMainMenuWithTheTouchControlsHidden) {
    EXPECT_EQ(game_menu.current, 15);
    EXPECT_EQ(game_menu.back, 15);
    EXPECT_EQ(screens_shown(), std::vector<int>{15});
    for (int i : {73, 74, 75}) EXPECT_FALSE(shown(i)) << i;
}

// Main -> options (style B) -> back (style A) -> main, the modifiers at t = 0, 0.5 and at
// rest worked out from the two style tables.
TEST_F(Menu, MainToOptionsAndBackAnimatesBothScreens) {
    game_menu_options();
    EXPECT_EQ((ints{game_menu.current, game_menu.timer.duration, game_menu.timer.id}), (ints{27, 310, 150027}));
    EXPECT_EQ(screens_shown(), (std::vector<int>{15, 27}));
    EXPECT_TRUE(locked(15) && locked(27));
    EXPECT_EQ(modifier(15), (modifier_t{0, 0, 1, 1}));
    EXPECT_EQ(modifier(27), (modifier_t{0, 0, 0.5f, 0}));
    advance(155);
    EXPECT_EQ(modifier(15), (modifier_t{0, 0, 1.25f, -0.5f}));
    EXPECT_EQ(modifier(27), (modifier_t{0, 0, 0.75f, 0.5f}));
    advance(155);  // progress exactly 1: still running
    EXPECT_TRUE(game_menu_in_transition());
    advance(1);
    EXPECT_FALSE(game_menu_in_transition());
    EXPECT_EQ(screens_shown(), std::vector<int>{27});
    EXPECT_EQ(modifier(27), kRest);
    EXPECT_FALSE(locked(15) || locked(27));

    game_menu_back();
    EXPECT_EQ(game_menu.timer.id, 270015);
    advance(155);
    EXPECT_EQ(modifier(27), (modifier_t{0, 0, 0.75f, -0.5f}));
    EXPECT_EQ(modifier(15), (modifier_t{0, 0, 1.5f, 0.5f}));
    settle();
    EXPECT_EQ(screens_shown(), std::vector<int>{15});
    EXPECT_EQ(modifier(15), kRest);
}

TEST_F(Menu, PauseThenOptionsThenBackReturnsToPause) {
    game_menu_start_single();
    settle();
    game_menu_pause();
    EXPECT_EQ(game_world.game_mode, 0);
    EXPECT_EQ(kx_app.cursor_locked, 0);
    settle();
    game_menu_options();
    settle();
    game_menu_escape();  // in the menus Escape goes back
    settle();
    EXPECT_EQ(game_menu.current, 40);
    EXPECT_EQ(screens_shown(), std::vector<int>{40});
    game_menu_resume();
    EXPECT_EQ((ints{game_world.game_mode, kx_app.cursor_locked, kx_app.lock_x, kx_app.lock_y}), (ints{3, 1, 512, 300}));
    settle();
    EXPECT_EQ(screens_shown(), std::vector<int>{71});
}

TEST_F(Menu, ATransitionStartedDuringAnotherFinishesTheFirst) {
    game_menu_options();
    advance(50);
    game_menu_multiplayer();
    // 15 -> 27 ended at once: 15 hidden, 27 at rest, then 27 -> 48 began.
    EXPECT_EQ(screens_shown(), (std::vector<int>{27, 48}));
    EXPECT_FALSE(locked(15));
    EXPECT_EQ(modifier(27), (modifier_t{0, 0, 1, 1}));
    EXPECT_EQ(modifier(48), (modifier_t{0, 0, 0.5f, 0}));
    EXPECT_EQ((ints{game_menu.timer.id, static_cast<int>(kx_app.timer_count)}), (ints{270048, 1}));
    settle();
    EXPECT_EQ(screens_shown(), std::vector<int>{48});
}

TEST_F(Menu, GoingToTheCurrentScreenStartsNothing) {
    const uint32_t flags = kx_gui.items[15].flags;
    game_menu_main();
    game_menu_goto(15, GAME_MENU_STYLE_B, 50);
    EXPECT_FALSE(game_menu_in_transition());
    EXPECT_EQ(kx_app.timer_count, 0u);
    EXPECT_EQ(kx_gui.items[15].flags, flags);
    EXPECT_EQ(modifier(15), kRest);
}

TEST_F(Menu, ChatOpensIn103MsAndClosesIn310) {
    game_menu_start_multi();
    EXPECT_EQ(game_world.multiplayer, 1);
    EXPECT_EQ(game_world.connected, 0);
    EXPECT_EQ(game_world.game_mode, 3);
    settle();
    game_menu_chat_open();
    EXPECT_EQ(game_menu.timer.duration, 103);
    advance(103);
    EXPECT_TRUE(game_menu_in_transition());
    advance(1);
    EXPECT_EQ(screens_shown(), std::vector<int>{53});
    game_menu_escape();  // closes the chat, back into the game
    EXPECT_EQ(game_menu.current, 71);
    EXPECT_EQ(game_menu.timer.duration, 310);
    settle();
    game_menu_chat_open();
    settle();
    kx_gui_set_text(55, "hello");
    game_menu_chat_send();  // not connected: nothing goes out, the field still empties
    EXPECT_STREQ(kx_gui.items[55].text, "");
    EXPECT_EQ(game_menu.current, 71);
}

TEST_F(Menu, ConnectWithShiftGoesToLocalhostAndShowsTheServerLine) {
    kx_gui_set_text(50, "   ");
    game_menu_connect();
    EXPECT_EQ(game_menu.current, 15) << "a blank name stays";
    game_menu_multiplayer();
    settle();
    kx_gui_set_text(50, "Tester");
    kx_gui_set_text(38, "old error");
    Display* dpy = XOpenDisplay(nullptr);
    ASSERT_NE(dpy, nullptr);
    kx_app.display = dpy;
    key_event(KeyPress, XK_Shift_L);
    game_menu_connect();
    key_event(KeyRelease, XK_Shift_L);
    kx_app.display = nullptr;
    XCloseDisplay(dpy);
    EXPECT_EQ(game_menu.current, 37);
    EXPECT_STREQ(netman.player_name, "Tester");
    EXPECT_STREQ(netman.server_name, "localhost:25280");
    EXPECT_STREQ(kx_gui.items[59].text, "Server: localhost:25280");
    EXPECT_STREQ(kx_gui.items[38].text, "Connecting to the server...");
    game_menu_leave_net();

    // Without Shift the server field is used, kept across a language switch; the caption
    // follows the language. A blank field falls back to the menu's host.
    kx_gui_set_text(114, "127.0.0.1");
    game_menu_language();
    EXPECT_STREQ(kx_gui.items[114].text, "127.0.0.1");
    kx_gui_set_text(50, "Tester");
    game_menu_connect();
    EXPECT_STREQ(kx_gui.items[59].text, "\xD1\xE5\xF0\xE2\xE5\xF0: 127.0.0.1:25280");
    game_menu_leave_net();
    kx_gui_set_text(114, " ");
    std::snprintf(game_menu.server_host, sizeof game_menu.server_host, "127.0.0.1:25281");
    game_menu_connect();
    EXPECT_STREQ(kx_gui.items[59].text, "\xD1\xE5\xF0\xE2\xE5\xF0: 127.0.0.1:25281");
    game_menu_leave_net();
}

TEST_F(Menu, LanguageSwitchedTwiceLoadsRussianThenEnglish) {
    game_menu_language();
    EXPECT_STREQ(kx_gui.items[17].text, "\xCE\xE4\xE8\xED\xEE\xF7\xED\xE0\xFF \xE8\xE3\xF0\xE0");
    EXPECT_STREQ(kx_gui.items[16].text, "English");
    game_menu_language();
    EXPECT_STREQ(kx_gui.items[17].text, "Single player");
    EXPECT_EQ(game_menu.language, 0);
}

// Down then Return on the main menu starts a single-player game.
TEST_F(Menu, DownThenReturnStartsASinglePlayerGame) {
    kx_gui_key(KX_KEY_DOWN, game_menu.current);
    kx_gui_key(KX_KEY_RETURN, game_menu.current);
    EXPECT_EQ((ints{game_menu.current, game_world.game_mode, game_world.multiplayer, game_world.player->lives}),
              (ints{71, 3, 0, 9}));
    EXPECT_EQ(labels, (std::vector<std::string>{"Alice", "Bob", "Dave", "Eve", "Bot4", "Bot5", "Bot6", "Bot7",
                                                "Bot8", "Bot9", "Bot10", "Bot11"}));
    EXPECT_EQ(kx_app.cursor_locked, 1);
    settle();
    // In keyboard mode a new screen preselects its default item.
    game_menu_pause();
    EXPECT_EQ(kx_gui.hover, 41);
}

// Every bound button, tapped from a given screen: where it leads and what it changes.
TEST_F(Menu, EveryButtonDoesItsJob) {
    const struct {
        int from, item, to, mode;
        int back = 0;
    } kRows[] = {
        // from, item, to, mode (, back)
        {15, 17, 71, 3},     {44, 46, 71, 3},     {15, 18, 48, 0}, {15, 19, 27, 0}, {15, 23, 27, 0},
        {40, 42, 27, 0, 40}, {27, 36, 15, 0},     {37, 39, 15, 0}, {40, 43, 15, 0}, {44, 47, 15, 0},
        {48, 52, 15, 0},     {40, 41, 71, 3, 40}, {71, 76, 40, 0}, {27, 98, 15, 0}, {37, 9, 37, 0},
    };
    for (const auto& row : kRows) {
        game_menu_goto(row.from, GAME_MENU_STYLE_A, 310);
        settle();
        game_menu.back = row.back ? row.back : 15;
        game_world.game_mode = 0;
        kx_gui_set_text(65, "line\n");
        kx_gui_set_hover(row.item);
        kx_gui_activate();
        EXPECT_EQ(game_menu.current, row.to) << "item " << row.item;
        EXPECT_EQ(game_world.game_mode, row.mode) << "item " << row.item;
        const bool leaves = row.item == 39 || row.item == 43 || row.item == 47 || row.item == 52;
        EXPECT_STREQ(kx_gui.items[65].text, leaves ? "" : "line\n") << "item " << row.item;
        settle();
    }
    kx_gui_set_hover(20);
    kx_gui_activate();
    EXPECT_EQ(kx_app.quit, 1);
    kx_gui_set_hover(16);
    kx_gui_activate();
    EXPECT_EQ(game_menu.language, 1);
    kx_gui_load_lang("gui/ironvale.lang1.bin", 0);
}

TEST_F(Menu, OptionsFollowTheirBoxes) {
    game_fbo_reset_settings();
    fbo_width = 64, fbo_height = 64;
    for (int pass = 1; pass >= 0; pass--) {
        for (int i : {29, 30, 31, 32}) {
            kx_gui_set_hover(i);
            kx_gui_activate();
        }
        const int checked = (kx_gui.items[31].flags & KX_GUI_CHECKED) != 0;
        EXPECT_EQ((ints{ms_enabled, game_world.mouse_invert, game_menu.anisotropy, checked}), ints(4, pass));
    }
    EXPECT_EQ(aniso, (std::vector<int>{4, 1}));
    EXPECT_NE(fbo_main.fbo, 0u);
    game_fbo_term();
    game_menu_game_over();
    EXPECT_EQ(game_menu.current, 44);
    EXPECT_EQ(game_menu.back, 15);
    settle();
    game_world.game_mode = 3;
    kx_gui_set_text(65, "x\n");
    game_menu_connection_error();
    EXPECT_EQ(game_menu.current, 37);
    EXPECT_EQ(game_world.game_mode, 0);
    EXPECT_STREQ(kx_gui.items[65].text, "");
}

// A GUI file short of items (27: the options screen would be the first missing one)
// leaves every menu operation harmless.
TEST_F(Menu, AShortGuiNeverBreaksTheMenus) {
    std::vector<uint8_t> file(4 + 64 * 27, 0);
    file[0] = 27;
    for (int i = 1; i < 27; i++) file[4 + 64 * i] = 1;  // level 1 labels
    for (int i = 1; i < 27; i++) file[4 + 64 * i + 8] = 2;
    ASSERT_EQ(kx_gui_create_mem(file.data(), static_cast<long>(file.size()), "short", menu_font(), menu_font(),
                                menu_font()),
              27);
    game_menu_init(&netman);
    game_menu_options();
    EXPECT_EQ(game_menu.current, 27);
    settle();
    game_menu_back();
    settle();
    game_menu_connect();
    game_menu_chat_send();
    game_menu_leave();
    game_menu_option_multisampling(29);
    EXPECT_EQ(ms_enabled, 0);
    game_menu_pause();
    EXPECT_EQ(game_menu.current, 40);
    settle();
}

TEST_F(Menu, ServerFieldShowsOnlyOnTheMultiplayerScreenAndTabMovesTyping) {
    EXPECT_STREQ(kx_gui.items[114].text, "localhost");
    settle();
    EXPECT_FALSE(shown(114));
    game_menu_multiplayer();
    game_menu_server_update();
    EXPECT_FALSE(shown(114)) << "not during the transition";
    settle();
    EXPECT_EQ((ints{shown(114), game_menu_server_typing_item(), blinks(50), blinks(114)}), (ints{1, 50, 1, 0}));
    game_menu_server_tab();
    EXPECT_EQ((ints{game_menu_server_typing_item(), blinks(50), blinks(114)}), (ints{114, 0, 1}));
    EXPECT_EQ(game_menu_server_click(51), 0);
    EXPECT_EQ(game_menu_server_typing_item(), 114);
    EXPECT_EQ(game_menu_server_click(50), 1);
    EXPECT_EQ((ints{game_menu_server_typing_item(), blinks(50), blinks(114)}), (ints{50, 1, 0}));
    game_menu_main();
    settle();
    EXPECT_FALSE(shown(114));
}

struct connect_case_t {
    const char* field;
    int want_screen;
    const char* want_line;
};

TEST_F(Menu, ServerFieldConnectTakesHostOrHostAndPortFromTheField) {
    const connect_case_t cases[] = {
        {"127.0.0.1:4000", 37, "Server: 127.0.0.1:4000"},
        {"  127.0.0.1 ", 37, "Server: 127.0.0.1:25280"},
        {"", 37, "Server: localhost:25280"},  // the menu's host
        {"127.0.0.1:port", 48, "unchanged"},
        {"127.0.0.1:70000", 48, "unchanged"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.field);
        game_menu_init(&netman);
        game_menu_multiplayer();
        settle();
        kx_gui_set_text(50, "Tester");
        kx_gui_set_text(59, "unchanged");
        kx_gui_set_text(114, c.field);
        game_menu_connect();
        EXPECT_EQ(game_menu.current, c.want_screen);
        EXPECT_STREQ(kx_gui.items[59].text, c.want_line);
        // A refused text leaves typing in the server field to mend it.
        EXPECT_EQ(game_menu_server_typing_item(), c.want_screen == 48 ? 114 : 50);
        kx_netman_disconnect(&netman, KX_NETMAN_REASON_LEFT, 0);
        settle();
    }
}

}  // namespace
