// The level model "map3" built from the game's own level table, so what a
// player sees is where the collision rectangles are:
//   walkable floor (class-16 areas)        floor slabs, just above the ground
//   no-walk field (class-17 areas only)    a glowing field, a warning edge beside it
//   class-16 blocks                        walls taller than a player
//   class-17 blocks                        low walls, below bullet height
//   outside every area                     a rim wall closes the level
// The rectangles are sampled on a fine grid; runs of equal cells become quads.
// Depends on game_level, ag_mesh, ag_params, ag_atlas.
#pragma once

#include <vector>

#include "tools/assetgen/ag_mesh.h"
#include "tools/assetgen/ag_params.h"

enum ag_cell_kind_t {
    AG_CELL_OUTSIDE,
    AG_CELL_FIELD,
    AG_CELL_FLOOR,
    AG_CELL_LOW,
    AG_CELL_WALL,
    AG_CELL_RIM,
};

struct ag_level_grid_t {
    float cell = 0;        // world units per cell
    float x0 = 0, y0 = 0;  // world position of cell (0, 0)'s corner
    int nx = 0, ny = 0;
    std::vector<unsigned char> kind;  // ag_cell_kind_t per cell, row-major from (x0, y0)
};

// Classifies the level's cells from the level table.
ag_level_grid_t ag_level_grid(const ag_params_t& p);

// The level model in model units (world / map.draw_scale).
ag_mesh_t ag_model_map(const ag_params_t& p);
