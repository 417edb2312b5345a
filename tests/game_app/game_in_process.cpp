// The game program run inside a test process (see game_in_process.h).
#include "tests/game_app/game_in_process.h"

#include <string>

#include "engine/app/kx_app.h"
#include "game/game_loader.h"
#include "game/game_main.h"
#include "game/game_options.h"

void game_test_frame(int dt) {
    kx_app.dt = static_cast<uint16_t>(dt);
    kx_app.time = static_cast<uint16_t>(kx_app.time + dt);
    kx_app.OnProcess();
}

int game_test_start_windowed() {
    game_options = game_options_t{};
    game_options.windowed = 1;
    kxAppZero();
    game_install_handlers();
    // The shell finds the assets beside the program it takes itself to be.
    std::string argv0 = std::string(IRONVALE_BUILD_DIR) + "/bin/ironvale-x11";
    char* argv[] = {argv0.data(), nullptr};
    return kxAppInit(1, argv, "Game") == 1 && game_init_done();
}

int game_test_load_to_menu() {
    for (int i = 0; i < 500 && game_loader_mode() != 0; i++) game_test_frame(10);
    return game_loader_mode() == 0;
}
