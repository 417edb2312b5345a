// Entry point of ironvale-win32: the shared start sequence on the Win32 shell.
// Windows sends no stop signals to a window program: closing the window is the way out.
#include "game/game_program.h"

int main(int argc, char** argv) {
    // No window or GL context: the shell has already told the player.
    const game_program_t program = {"ironvale-win32", "in main: no window, exiting. ", nullptr};
    return game_program_run(argc, argv, &program);
}
