// The one level of the game as data held in the program: the floor areas and
// obstacles (axis-aligned rectangles) and the markers (spawn points, bot
// waypoints, health kits). The new-game setup appends these in table order;
// tools (the level-model generator) iterate them to build the level's look.
// Depends on nothing but plain C++ (the tables are constant data).
#pragma once

// Object type codes (the `type` of game_obj_t). Codes 2 and 7..15 are unused.
enum {
    OBJ_PLAYER = 0,         // the local player, always objects element 0
    OBJ_OTHER = 1,          // one of the 12 other player slots (bot or remote user)
    OBJ_BULLET = 3,         // bullet or pellet in flight
    OBJ_FX_IMPACT = 4,      // impact effect, removed when age passes 70
    OBJ_FX_EXPLOSION = 5,   // explosion effect, removed when age passes 70
    OBJ_FX_RESPAWN = 6,     // respawn effect, removed when age passes 35
    OBJ_WAYPOINT = 16,      // bot navigation node (drawn only in debug drawing)
    OBJ_BOT_SPAWN = 17,     // spawn point of bots and respawning player slots
    OBJ_HEALTHKIT = 18,     // health kit
    OBJ_PLAYER_SPAWN = 19,  // start point of the local player
};

// Rectangle kinds (the `kind` of game_rect_t).
enum {
    RECT_AREA = 0,   // walkable floor area
    RECT_BLOCK = 1,  // obstacle
};

// Rectangle clip classes (the `clip_class` of game_rect_t):
//   CLIP_SOLID (16): an area is floor for everything (movement, bot navigation,
//     bullets, line of sight); a block stops everything. In the level model this
//     is ordinary floor and full-height walls/pillars.
//   CLIP_LOW (17): an area is floor only for bullets and line of sight (players
//     and bots can't walk there: pits, ledges, open space beyond the rails); a
//     block stops movement and navigation but shots and sight pass over it (low
//     crates, railings).
enum {
    CLIP_SOLID = 16,
    CLIP_LOW = 17,
};

// One rectangle of the level: x1 < x2, y1 < y2, in level units on the floor z = 0.
struct game_level_rect_t {
    int kind;        // RECT_AREA or RECT_BLOCK
    int clip_class;  // CLIP_SOLID or CLIP_LOW
    float x1, y1, x2, y2;
};

// One marker of the level; it stands on the floor (z = 0).
struct game_level_marker_t {
    int type;  // OBJ_PLAYER_SPAWN, OBJ_BOT_SPAWN, OBJ_WAYPOINT or OBJ_HEALTHKIT
    float x, y;
};

constexpr int GAME_LEVEL_RECT_COUNT = 74;
constexpr int GAME_LEVEL_MARKER_COUNT = 71;

// Rectangles in append order; element 0 is the dummy area so that an area index
// of 0 can mean "none".
extern const game_level_rect_t game_level_rects[GAME_LEVEL_RECT_COUNT];

// Markers in append order; they become objects 13..83 after the player and the
// twelve slots.
extern const game_level_marker_t game_level_markers[GAME_LEVEL_MARKER_COUNT];
