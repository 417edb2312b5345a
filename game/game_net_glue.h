// Ties the network side to what the player sees: GUI item texts, the twelve name
// labels, the menu screens, the cursor and the clock. Depends on game_net_ui,
// kx_gui, game_menu, game_assets (labels), kx_app.
#pragma once

// Install the network outlets (game_net_ui). Call once the GUI and the labels exist.
void game_net_glue_install();
