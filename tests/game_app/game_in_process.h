// The game program run inside a test process: its real handlers, the X11 shell on the
// test display, and the frame function called with a chosen clock.
#pragma once

// One pass of the main loop as the frame sees it: dt milliseconds later.
void game_test_frame(int dt);
// Start the program as `ironvale-x11 --windowed` would; 1 when the shell and GameInit ran.
int game_test_start_windowed();
// Loading frames (10 ms each, at most 500) until the loader hands over to the menus;
// 1 when it did.
int game_test_load_to_menu();
