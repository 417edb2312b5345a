// Area, free-space and line-of-sight queries (see game_query.h).
// The rects pool is copied into four structure-of-arrays lists (blocks that stop
// movement, blocks that stop shots, areas one can walk on, areas shots fly over);
// a segment test first keeps only the rectangles near the segment, then tests
// each sample against those. The answers equal a plain scan of the pool: a rect
// that holds a sample overlaps the segment's bounding box.
// Depends on game_world.
#include "game/sim/game_query.h"

#include <cmath>

#include "game/sim/game_world.h"

namespace {

struct rect_list_t {
    int count;
    float x1[GAME_RECTS_CAPACITY], y1[GAME_RECTS_CAPACITY];
    float x2[GAME_RECTS_CAPACITY], y2[GAME_RECTS_CAPACITY];
};

// lists[nav][0] = blocks, lists[nav][1] = areas.
struct query_cache_t {
    int rect_count;
    const game_rect_t* items;
    rect_list_t lists[2][2];
};

query_cache_t cache = {-1, nullptr, {}};

void list_add(rect_list_t* l, const game_rect_t& r) {
    const int k = l->count++;
    l->x1[k] = r.x1;
    l->y1[k] = r.y1;
    l->x2[k] = r.x2;
    l->y2[k] = r.y2;
}

void cache_fill() {
    const game_pool_t<game_rect_t>& rects = game_world.rects;
    for (auto& by_nav : cache.lists)
        for (auto& l : by_nav) l.count = 0;
    for (int i = 0; i < rects.count; i++) {
        const game_rect_t& r = rects.items[i];
        if (r.kind == RECT_BLOCK) {
            list_add(&cache.lists[GAME_NAV][0], r);
            if (r.clip_class == CLIP_SOLID) list_add(&cache.lists[GAME_SHOT][0], r);
        } else if (r.kind == RECT_AREA) {
            list_add(&cache.lists[GAME_SHOT][1], r);
            if (r.clip_class == CLIP_SOLID) list_add(&cache.lists[GAME_NAV][1], r);
        }
    }
    cache.rect_count = rects.count;
    cache.items = rects.items;
}

inline void cache_check() {
    if (cache.rect_count != game_world.rects.count || cache.items != game_world.rects.items) cache_fill();
}

inline int list_holds(const rect_list_t& l, float x, float y, float r) {
    for (int k = 0; k < l.count; k++)
        if (game_disc_inside(x, y, r, l.x1[k], l.y1[k], l.x2[k], l.y2[k])) return 1;
    return 0;
}

inline int free_in(const rect_list_t& blocks, const rect_list_t& areas, vec3 p, float radius) {
    if (p.z < -0.0001 || p.z > 10) return 0;
    if (list_holds(blocks, p.x, p.y, radius)) return 0;
    return list_holds(areas, p.x, p.y, radius);
}

// Keep the rectangles of `src` that overlap the box [lo, hi].
void list_near(rect_list_t* dst, const rect_list_t& src, float lox, float loy, float hix, float hiy) {
    int n = 0;
    for (int k = 0; k < src.count; k++) {
        if (src.x2[k] < lox || src.x1[k] > hix || src.y2[k] < loy || src.y1[k] > hiy) continue;
        dst->x1[n] = src.x1[k];
        dst->y1[n] = src.y1[k];
        dst->x2[n] = src.x2[k];
        dst->y2[n] = src.y2[k];
        n++;
    }
    dst->count = n;
}

}  // namespace

void game_query_rects_changed() { cache_fill(); }

int game_in_area(int i, int r) {
    const game_obj_t* o = game_obj(i);
    const game_rect_t* a = game_rect(r);
    return game_disc_inside(o->pos.x, o->pos.y, o->radius, a->x1, a->y1, a->x2, a->y2);
}

int game_find_area(int i, int nav) {
    const game_obj_t* o = game_obj(i);
    const game_pool_t<game_rect_t>& rects = game_world.rects;
    if (o->area >= 0 && o->area < rects.count && game_in_area(i, o->area)) return o->area;
    for (int r = 0; r < rects.count; r++) {
        const game_rect_t& a = rects.items[r];
        if (a.kind != RECT_AREA || (nav && a.clip_class != CLIP_SOLID)) continue;
        if (game_disc_inside(o->pos.x, o->pos.y, o->radius, a.x1, a.y1, a.x2, a.y2)) return r;
    }
    return 0;
}

int game_point_free(int nav, vec3 p, float radius) {
    cache_check();
    const int k = nav ? GAME_NAV : GAME_SHOT;
    return free_in(cache.lists[k][0], cache.lists[k][1], p, radius);
}

int game_obj_in_free(int i, int nav) {
    const game_obj_t* o = game_obj(i);
    return game_point_free(nav, o->pos, o->radius);
}

int game_segment_clear(int nav, vec3 a, vec3 b) {
    const vec3 d = kx_vec3_sub(b, a);
    const int n = game_segment_samples(kx_vec3_length(d));
    if (n < 2) return 1;
    cache_check();
    const int k = nav ? GAME_NAV : GAME_SHOT;
    // Samples can round a hair past the end points; the margin covers that.
    const float m = 0.01f;
    const float lox = std::fmin(a.x, b.x) - m, hix = std::fmax(a.x, b.x) + m;
    const float loy = std::fmin(a.y, b.y) - m, hiy = std::fmax(a.y, b.y) + m;
    static rect_list_t blocks, areas;  // main thread only; too big for every call's stack frame
    list_near(&blocks, cache.lists[k][0], lox, loy, hix, hiy);
    list_near(&areas, cache.lists[k][1], lox, loy, hix, hiy);
    for (int s = 1; s < n; s++) {
        if (!free_in(blocks, areas, game_segment_point(a, d, s, n), 0.08f)) return 0;
    }
    return 1;
}

int game_obj_sees(int i, int j, int nav) {
    return game_segment_clear(nav, game_obj(i)->pos, game_obj(j)->pos);
}

int game_in_range(int i) { return kx_vec3_length(game_obj(i)->pos) <= 9000.0f; }

float game_sound_volume(vec3 p) {
    const vec3 c = game_world.camera_pos;
    const double dx = static_cast<double>(p.x) - c.x, dy = static_cast<double>(p.y) - c.y,
                 dz = static_cast<double>(p.z) - c.z;
    return static_cast<float>(1.0 / (1.0 + 0.01 * (dx * dx + dy * dy + dz * dz)));
}
