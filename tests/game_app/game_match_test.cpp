// The game from inside: the real handlers installed, the X11 shell started on the test
// display, and the frame function called with a chosen clock. A single-player game is
// started with the keyboard as a player would, runs with a fixed seed until the bots
// have taken the player's last life, and ends on the end-of-game screen.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/app/kx_app.h"
#include "engine/gui/kx_gui.h"
#include "game/game_controls.h"
#include "game/game_loader.h"
#include "game/game_main.h"
#include "game/game_options.h"
#include "game/menu/game_menu.h"
#include "game/sim/game_world.h"
#include "tests/game_app/game_in_process.h"

namespace {

void frame(int dt) { game_test_frame(dt); }

TEST(GameMatch, SinglePlayerRunsToGameOver) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "no display";
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    ASSERT_TRUE(game_test_start_windowed());
    ASSERT_TRUE(game_test_load_to_menu());
    ASSERT_EQ(game_world.game_mode, 0);
    EXPECT_EQ(game_menu.current, 15);
    frame(10);

    std::srand(7);
    game_on_key_down(KX_KEY_DOWN, 1);
    game_on_key_down(KX_KEY_RETURN, 1);
    ASSERT_EQ(game_world.game_mode, 3) << "Down, Return on the main menu starts a game";
    EXPECT_EQ((std::vector<int>{game_menu.current, game_world.bots_alive}), (std::vector<int>{71, 4}));
    // One life instead of nine keeps the run short; the bots still have to find and kill.
    game_world.player->lives = 1;

    int frames = 0;
    // A second per frame: a hundred ticks each, as a very slow machine would run them.
    while (game_world.game_mode == 3 && frames < 600) {
        frame(1000);
        frames++;
    }
    EXPECT_EQ((std::vector<int>{game_world.game_mode, game_world.player->lives, game_menu.current}),
              (std::vector<int>{0, 0, 44}))
        << "no game over after " << frames << " frames";
    EXPECT_LE(game_world.player->health, 0);
    EXPECT_FALSE(kx_gui_is_hidden(44)) << "the end-of-game screen shows";
    frame(10);  // drawn as a menu frame

    kxAppTerm();
}

}  // namespace
