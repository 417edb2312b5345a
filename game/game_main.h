// The game's side of the application: the handlers it puts into kx_app's
// slots, game init (every asset in a fixed order, pools, framebuffers, GUI,
// font, netman, the loader), the frame (network poll, loader hand-off,
// fixed-step simulation, drawing, swap) and game term (everything freed in order).
// Main thread only. Depends on the whole game: game_draw, game_sim, the menu,
// game_loader, game_controls, game_outlets, game_audio, kx_netman, kx_gui.
#pragma once

#include "engine/net/kx_netman.h"

// The game's netman session. Lifetime: GameInit .. GameTerm. The network sync
// installs its OnBuffer, OnConnect and OnDisconnect handlers on it in GameInit.
extern kx_netman_t game_netman;

// Put the game's handlers into kx_app's slots (between kxAppZero and kxAppInit).
void game_install_handlers();

// The OnInitDisplay, OnTerm, OnProcess and OnResize handlers.
void GameInit();
void GameTerm();
void game_frame();
void game_on_resize(int width, int height);

// 1 once GameInit has finished (until then a resize only stores the size).
int game_init_done();
