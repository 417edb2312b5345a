// Entry point of ironvale-x11: the shared start sequence on the X11 shell, with
// Ctrl+C and SIGTERM ending the run like closing the window.
#include <csignal>

#include "engine/app/kx_app.h"
#include "game/game_program.h"

namespace {

// The game still tears down and log.txt is closed.
void on_stop_signal(int) { kx_app.quit = 1; }

void install_stop_signals() {
    struct sigaction sa = {};
    sa.sa_handler = on_stop_signal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
    const game_program_t program = {"ironvale-x11", "in main: no display, exiting. ", install_stop_signals};
    return game_program_run(argc, argv, &program);
}
