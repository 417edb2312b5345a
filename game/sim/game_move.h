// Movement of the local player and the player slots: steering, velocity
// smoothing, staying on the floor areas, pushing out of blocks, camera follow.
// Depends on game_world, game_query, game_bot, game_input, game_hooks.
#pragma once

// One tick of movement of object i (the local player or a player slot). Nothing
// while dead. Also puts the camera in the local player's eyes unless it is free.
void game_obj_move(int i);
