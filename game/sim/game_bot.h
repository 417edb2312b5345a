// Bots: waypoint choice, steering (where to walk) and aiming (when and where to
// shoot at the local player). There is no navigation graph: a waypoint is
// reachable when the straight segment to it is clear for movement. A bot that
// walks on the spot for a second gives its waypoint up and picks another.
// Depends on game_world, game_query.
#pragma once

// Index of the nearest OBJ_WAYPOINT (squared distance below 8192) that object i
// reaches in a straight line, skipping indices a and b (-1 = no exclusion); 0 if none.
int game_nearest_waypoint(int i, int a, int b);

// Index of a random reachable OBJ_WAYPOINT other than a and b (the 61st candidate
// ends the search); 0 if none. Calls rand() once when it finds any.
int game_pick_waypoint(int i, int a, int b);

// Forget every bot's progress record; called at every new game.
void game_bot_reset();

// Single-player steering of bot i: circle the visible local player, otherwise walk
// the waypoints. Sets wish_vel.x/y (and the waypoint fields).
void game_bot_steer(int i);

// Aiming of bot i: count the reaction delay, and once it is 0 and the player is in
// sight, turn towards the (led) player and request a shot. Never shoots in a
// multiplayer game.
void game_bot_aim(int i);
