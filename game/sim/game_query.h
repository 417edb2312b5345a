// Questions the simulation and the bots ask about the level: which floor area
// holds an object, whether a point is free space, whether a straight segment is
// clear (line of sight / walkability), and how loud a sound is at the camera.
// The rectangles are kept sorted into per-class arrays (a cache of the rects
// pool) so the line-of-sight test, the hot path of the bots, scans only what
// applies. Depends on game_world.
#pragma once

#include "engine/math/kx_math.h"

// The navigation flag: set = movement and bot navigation (class-17 areas are not
// floor, every block blocks); clear = bullets and sight (any area is floor, only
// class-16 blocks block).
enum { GAME_SHOT = 0, GAME_NAV = 1 };

// Rebuild the per-class cache from the rects pool. The new-game setup calls it;
// anyone who edits rects in place must call it too. (Appending or clearing is
// noticed without the call.)
void game_query_rects_changed();

// 1 if object i's disc lies strictly inside rectangle r (x - radius > x1, ...).
int game_in_area(int i, int r);

// Object i's area if its disc still lies inside it, otherwise the first RECT_AREA
// (class 16 when nav is set) that holds the disc; 0 if none.
int game_find_area(int i, int nav);

// 1 if the disc (p, radius) is free space: z within [-0.0001, 10], inside no
// applicable block and inside an applicable area; else 0.
int game_point_free(int nav, vec3 p, float radius);

// game_point_free on object i's pos and radius.
int game_obj_in_free(int i, int nav);

// 1 if every sample a + (b - a) * k / n (k = 1 .. n-1, n = min(125, |a-b| * 1.5 + 15))
// is free space with radius 0.08; 0 at the first sample that is not.
int game_segment_clear(int nav, vec3 a, vec3 b);

// game_segment_clear between the positions of objects i and j.
int game_obj_sees(int i, int j, int nav);

// 1 while object i's position is within 9000 of the origin.
int game_in_range(int i);

// Gain of a sound at p: 1 / (1 + 0.01 * squared distance from the camera).
float game_sound_volume(vec3 p);

// Sample k of n on the segment from a along d = b - a (shared with the tests so
// both compute the same points).
inline vec3 game_segment_point(vec3 a, vec3 d, int k, int n) {
    return kx_vec3_add(a, kx_vec3_scale(d, static_cast<float>(k) / static_cast<float>(n)));
}
// Number of samples for a segment of length len.
inline int game_segment_samples(float len) {
    const int n = static_cast<int>(len * 1.5f + 15.0f);
    return n < 125 ? n : 125;
}
// 1 if the disc (x, y, r) lies strictly inside the rectangle corners.
inline int game_disc_inside(float x, float y, float r, float x1, float y1, float x2, float y2) {
    return x - r > x1 && x + r < x2 && y - r > y1 && y + r < y2;
}
