// The server field of the multiplayer screen over the real GUI content: filled with
// the default server, shown only with its screen, Tab and clicks move typing between
// name and server, and connect takes host or host:port from it.
#include <gtest/gtest.h>

#include <string>

#include "engine/app/kx_app.h"
#include "engine/app/kx_app_loop.h"
#include "engine/gui/kx_gui.h"
#include "engine/net/kx_netman.h"
#include "game/menu/game_menu.h"
#include "game/menu/game_menu_server.h"
#include "game/sim/game_world.h"
#include "menu/menu_fixture.h"

namespace {

kx_netman_t netman;
uint64_t now = 500000;

void settle() {
    now += 400;
    kxAppLoopPassBegin(now);
    game_menu_server_update();
}
bool shown(int i) { return !(kx_gui.items[i].flags & KX_GUI_HIDDEN); }
bool blinks(int i) { return (kx_gui.items[i].flags & KX_GUI_BLINK) != 0; }

class MenuServer : public testing::Test {
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
        game_menu_init(&netman);
        game_world.game_mode = 0;
    }
    void TearDown() override {
        kx_netman_disconnect(&netman, KX_NETMAN_REASON_LEFT, 0);
        settle();
    }
};

TEST_F(MenuServer, FieldShowsOnlyOnTheMultiplayerScreenAndTabMovesTyping) {
    EXPECT_STREQ(kx_gui.items[114].text, "localhost");
    settle();
    EXPECT_FALSE(shown(114));
    game_menu_multiplayer();
    game_menu_server_update();
    EXPECT_FALSE(shown(114)) << "not during the transition";
    settle();
    EXPECT_TRUE(shown(114));
    EXPECT_EQ(game_menu_server_typing_item(), 50);
    EXPECT_TRUE(blinks(50));
    EXPECT_FALSE(blinks(114));
    game_menu_server_tab();
    EXPECT_EQ(game_menu_server_typing_item(), 114);
    EXPECT_FALSE(blinks(50));
    EXPECT_TRUE(blinks(114));
    EXPECT_EQ(game_menu_server_click(51), 0);
    EXPECT_EQ(game_menu_server_typing_item(), 114);
    EXPECT_EQ(game_menu_server_click(50), 1);
    EXPECT_EQ(game_menu_server_typing_item(), 50);
    game_menu_main();
    settle();
    EXPECT_FALSE(shown(114));
}

struct connect_case_t {
    const char* field;
    int want_screen;
    const char* want_line;
};

TEST_F(MenuServer, ConnectTakesHostOrHostAndPortFromTheField) {
    const connect_case_t cases[] = {
        {.field = "127.0.0.1:4000", .want_screen = 37, .want_line = "Server: 127.0.0.1:4000"},
        {.field = "  127.0.0.1 ", .want_screen = 37, .want_line = "Server: 127.0.0.1:25280"},
        {.field = "", .want_screen = 37, .want_line = "Server: localhost:25280"},  // the menu's host
        {.field = "127.0.0.1:port", .want_screen = 48, .want_line = "unchanged"},
        {.field = "127.0.0.1:70000", .want_screen = 48, .want_line = "unchanged"},
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
