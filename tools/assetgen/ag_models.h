// The game's small models and the hills, in model units: world units divided
// by the scale the game draws each one at (players 0.5, bullets and effects
// 0.3, health cross 0.075, first-person guns 1.2 after the view's own scale,
// hills 1.5).
//   testplayer   a 1.2-unit figure, feet at z = 0, facing -y (the draw rotation
//                adds a quarter turn to the direction of travel)
//   gun1, macgun1 first-person spread gun and machine gun, pointing along -z
//                (into the screen) from just in front of the eye
//   minisphere   a small sphere (pellets, effects, waypoints, the kit's base)
//   laserbullet  a bolt along +x, its direction of flight
//   redcross     an upright cross in the x-z plane (it spins about z)
//   mountains1   a ring of hills around the level, beyond the ground square
// Depends on ag_mesh, ag_params, ag_noise, ag_atlas.
#pragma once

#include "tools/assetgen/ag_mesh.h"
#include "tools/assetgen/ag_params.h"

ag_mesh_t ag_model_testplayer(const ag_params_t& p);
ag_mesh_t ag_model_gun1(const ag_params_t& p);
ag_mesh_t ag_model_macgun1(const ag_params_t& p);
ag_mesh_t ag_model_minisphere(const ag_params_t& p);
ag_mesh_t ag_model_laserbullet(const ag_params_t& p);
ag_mesh_t ag_model_redcross(const ag_params_t& p);
ag_mesh_t ag_model_mountains(const ag_params_t& p);
