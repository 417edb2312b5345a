// Level model builder: grid classification, then horizontal tops per row run
// and vertical faces wherever a cell stands higher than its neighbour. Texture
// coordinates follow world position inside each atlas region (one region per
// map.tile units), so touching pieces continue the same pattern.
// Depends on game_level, ag_mesh, ag_params, ag_atlas.
#include "tools/assetgen/ag_map.h"

#include <algorithm>
#include <cmath>

#include "game/sim/game_level.h"

namespace {

bool inside(const game_level_rect_t& r, float x, float y) {
    return x > r.x1 && x < r.x2 && y > r.y1 && y < r.y2;
}

struct map_ctx_t {
    const ag_params_t* p;
    ag_level_grid_t g;
    float tile;
    float height[6];
    ag_mesh_t mesh;
    int at(int x, int y) const {
        if (x < 0 || y < 0 || x >= g.nx || y >= g.ny) return AG_CELL_OUTSIDE;
        return g.kind[y * g.nx + x];
    }
};

// Texture coordinate inside a region for a world coordinate along one axis,
// keeping half a texel away from the region's borders.
float region_coord(float lo, float hi, float t) {
    const float pad = 0.5f / 512.0f;
    return lo + pad + (hi - lo - 2 * pad) * t;
}

// Top face of cells [cx0, cx1) x [cy0, cy1) at height z; the rectangle stays inside one tile.
void top_rect(map_ctx_t* c, int cx0, int cx1, int cy0, int cy1, float z, const ag_region_t& r, float tile_v) {
    const ag_level_grid_t& g = c->g;
    const float x0 = g.x0 + cx0 * g.cell, x1 = g.x0 + cx1 * g.cell;
    const float y0 = g.y0 + cy0 * g.cell, y1 = g.y0 + cy1 * g.cell;
    const float tx = std::floor((x0 + 1e-3f) / c->tile) * c->tile;
    const float ty = std::floor((y0 + 1e-3f) / tile_v) * tile_v;
    const float u0 = region_coord(r.u0, r.u1, (x0 - tx) / c->tile),
                u1 = region_coord(r.u0, r.u1, (x1 - tx) / c->tile);
    const float v0 = region_coord(r.v0, r.v1, (y0 - ty) / tile_v),
                v1 = region_coord(r.v0, r.v1, (y1 - ty) / tile_v);
    const float uv[8] = {u0, v0, u1, v0, u1, v1, u0, v1};
    ag_mesh_quad(&c->mesh, {x0, y0, z}, {x1, y0, z}, {x1, y1, z}, {x0, y1, z}, uv);
}

// A vertical face from (ax, ay) to (bx, by) between heights zlo and zhi, facing
// the direction (dx, dy). Its texture runs along the edge; t = 0 is the top of a
// tile-high (or, for low walls, region-high) stretch ending at the floor.
void side(map_ctx_t* c, float ax, float ay, float bx, float by, float zlo, float zhi, int dx, int dy,
          int kind) {
    const ag_region_t r = kind == AG_CELL_LOW                             ? AG_CRYSTAL_LOW
                          : (kind == AG_CELL_WALL || kind == AG_CELL_RIM) ? AG_CRYSTAL_WALL
                                                                          : AG_CRYSTAL_CAP;
    // Order the ends so that the face's front is towards (dx, dy).
    const float ex = bx - ax, ey = by - ay;
    if (ey * dx - ex * dy < 0) {
        std::swap(ax, bx);
        std::swap(ay, by);
    }
    const float along0 = dx != 0 ? ay : ax, along1 = dx != 0 ? by : bx;
    const float base = std::floor((std::min(along0, along1) + 1e-3f) / c->tile) * c->tile;
    const float s0 = (along0 - base) / c->tile, s1 = (along1 - base) / c->tile;
    float t_lo, t_hi;
    if (kind == AG_CELL_LOW) {
        // The warning band (top quarter of the region) sits on the wall's top edge.
        const float region_h = c->tile / 2;
        t_hi = 0;
        t_lo = (zhi - zlo) / region_h;
    } else {
        t_lo = 1;
        t_hi = 1 - (zhi - zlo) / c->tile;
        if (kind != AG_CELL_WALL && kind != AG_CELL_RIM) t_hi = 0.9f, t_lo = 1;
    }
    const float u0 = region_coord(r.u0, r.u1, s0), u1 = region_coord(r.u0, r.u1, s1);
    const float vlo = region_coord(r.v0, r.v1, std::min(1.0f, t_lo)),
                vhi = region_coord(r.v0, r.v1, std::max(0.0f, t_hi));
    const float uv[8] = {u0, vlo, u1, vlo, u1, vhi, u0, vhi};
    ag_mesh_quad(&c->mesh, {ax, ay, zlo}, {bx, by, zlo}, {bx, by, zhi}, {ax, ay, zhi}, uv);
}

}  // namespace

ag_level_grid_t ag_level_grid(const ag_params_t& p) {
    ag_level_grid_t g;
    g.cell = ag_param(p, "map.cell");
    const int rim = static_cast<int>(ag_param(p, "map.rim_cells"));
    float lo_x = 1e9f, lo_y = 1e9f, hi_x = -1e9f, hi_y = -1e9f;
    for (int i = 1; i < GAME_LEVEL_RECT_COUNT; i++) {
        const game_level_rect_t& r = game_level_rects[i];
        lo_x = std::min(lo_x, r.x1), lo_y = std::min(lo_y, r.y1), hi_x = std::max(hi_x, r.x2),
        hi_y = std::max(hi_y, r.y2);
    }
    const int margin = rim + 1;
    g.x0 = std::floor(lo_x / g.cell) * g.cell - margin * g.cell;
    g.y0 = std::floor(lo_y / g.cell) * g.cell - margin * g.cell;
    g.nx = static_cast<int>(std::ceil((hi_x - g.x0) / g.cell)) + margin;
    g.ny = static_cast<int>(std::ceil((hi_y - g.y0) / g.cell)) + margin;
    g.kind.assign(static_cast<size_t>(g.nx) * g.ny, AG_CELL_OUTSIDE);
    for (int cy = 0; cy < g.ny; cy++) {
        for (int cx = 0; cx < g.nx; cx++) {
            const float x = g.x0 + (cx + 0.5f) * g.cell, y = g.y0 + (cy + 0.5f) * g.cell;
            bool wall = false, low = false, floor = false, field = false;
            // Rectangle 0 is the game's placeholder area, not part of the level.
            for (int i = 1; i < GAME_LEVEL_RECT_COUNT; i++) {
                const game_level_rect_t& r = game_level_rects[i];
                if (!inside(r, x, y)) continue;
                const bool solid = r.clip_class == CLIP_SOLID;
                if (r.kind == RECT_BLOCK)
                    (solid ? wall : low) = true;
                else
                    (solid ? floor : field) = true;
            }
            unsigned char k = AG_CELL_OUTSIDE;
            if (wall)
                k = AG_CELL_WALL;
            else if (low)
                k = AG_CELL_LOW;
            else if (floor)
                k = AG_CELL_FLOOR;
            else if (field)
                k = AG_CELL_FIELD;
            g.kind[cy * g.nx + cx] = k;
        }
    }
    // The rim: outside cells within rim_cells of the level.
    std::vector<unsigned char> rimmed = g.kind;
    for (int cy = 0; cy < g.ny; cy++)
        for (int cx = 0; cx < g.nx; cx++) {
            if (g.kind[cy * g.nx + cx] != AG_CELL_OUTSIDE) continue;
            for (int dy = -rim; dy <= rim; dy++)
                for (int dx = -rim; dx <= rim; dx++) {
                    const int x = cx + dx, y = cy + dy;
                    if (x >= 0 && y >= 0 && x < g.nx && y < g.ny && g.kind[y * g.nx + x] != AG_CELL_OUTSIDE &&
                        g.kind[y * g.nx + x] != AG_CELL_RIM)
                        rimmed[cy * g.nx + cx] = AG_CELL_RIM;
                }
        }
    g.kind = rimmed;
    return g;
}

ag_mesh_t ag_model_map(const ag_params_t& p) {
    map_ctx_t c;
    c.p = &p;
    c.g = ag_level_grid(p);
    c.tile = ag_param(p, "map.tile");
    c.height[AG_CELL_OUTSIDE] = 0;
    c.height[AG_CELL_FIELD] = ag_param(p, "map.field_z");
    c.height[AG_CELL_FLOOR] = ag_param(p, "map.floor_z");
    c.height[AG_CELL_LOW] = ag_param(p, "map.low_wall_height");
    c.height[AG_CELL_WALL] = ag_param(p, "map.wall_height");
    c.height[AG_CELL_RIM] = ag_param(p, "map.rim_height");
    const ag_level_grid_t& g = c.g;
    const int per_tile = std::max(1, static_cast<int>(std::lround(c.tile / g.cell)));

    // Tops: what a cell shows from above, by kind (floor beside a field shows the warning edge).
    auto top_of = [&](int cx, int cy, ag_region_t* r, float* tile_v) {
        const int k = c.at(cx, cy);
        *tile_v = c.tile;
        switch (k) {
            case AG_CELL_FLOOR: {
                const bool edge = c.at(cx + 1, cy) == AG_CELL_FIELD || c.at(cx - 1, cy) == AG_CELL_FIELD ||
                                  c.at(cx, cy + 1) == AG_CELL_FIELD || c.at(cx, cy - 1) == AG_CELL_FIELD;
                *r = edge ? AG_CRYSTAL_STRIPE : AG_CRYSTAL_FLOOR;
                if (edge) *tile_v = c.tile / 4;
                return 1 + (edge ? 1 : 0);
            }
            case AG_CELL_FIELD:
                *r = AG_CRYSTAL_HAZARD;
                *tile_v = c.tile / 2;
                return 3;
            case AG_CELL_LOW:
                *r = AG_CRYSTAL_CAP;
                *tile_v = c.tile / 2;
                return 4;
            case AG_CELL_WALL:
                *r = AG_CRYSTAL_CAP;
                *tile_v = c.tile / 2;
                return 5;
            case AG_CELL_RIM:
                *r = AG_CRYSTAL_CAP;
                *tile_v = c.tile / 2;
                return 6;
            default:
                return 0;
        }
    };
    // Greedy rectangles of equal tops, each inside one tile so its texture maps once.
    std::vector<unsigned char> done(g.kind.size(), 0);
    auto tile_of = [](float w, float tile) { return static_cast<int>(std::floor((w + 1e-3f) / tile)); };
    for (int cy = 0; cy < g.ny; cy++) {
        for (int cx = 0; cx < g.nx; cx++) {
            ag_region_t r;
            float tv;
            const int key = top_of(cx, cy, &r, &tv);
            if (key == 0 || done[cy * g.nx + cx]) continue;
            auto same = [&](int x, int y) {
                ag_region_t r2;
                float tv2;
                return !done[y * g.nx + x] && top_of(x, y, &r2, &tv2) == key;
            };
            const int tx = tile_of(g.x0 + cx * g.cell, c.tile), ty = tile_of(g.y0 + cy * g.cell, tv);
            int x_end = cx + 1;
            while (x_end < g.nx && same(x_end, cy) && tile_of(g.x0 + x_end * g.cell, c.tile) == tx) x_end++;
            int y_end = cy + 1;
            while (y_end < g.ny && tile_of(g.y0 + y_end * g.cell, tv) == ty) {
                bool row = true;
                for (int x = cx; x < x_end && row; x++) row = same(x, y_end);
                if (!row) break;
                y_end++;
            }
            for (int y = cy; y < y_end; y++)
                for (int x = cx; x < x_end; x++) done[y * g.nx + x] = 1;
            top_rect(&c, cx, x_end, cy, y_end, c.height[c.at(cx, cy)], r, tv);
        }
    }

    // Sides: each cell edge where this cell is higher than its neighbour; runs of
    // equal edges along a line (within one tile) become one quad.
    const int dirs[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& d : dirs) {
        const bool along_y = d[0] != 0;  // faces towards +-x run along y
        const int lines = along_y ? g.nx : g.ny, steps = along_y ? g.ny : g.nx;
        for (int line = 0; line < lines; line++) {
            auto cell_at = [&](int i, int* cx, int* cy) {
                *cx = along_y ? line : i, *cy = along_y ? i : line;
            };
            auto edge = [&](int i, int* kind, float* zlo) {  // 0 when this edge shows no face
                int cx, cy;
                cell_at(i, &cx, &cy);
                *kind = c.at(cx, cy);
                *zlo = c.height[c.at(cx + d[0], cy + d[1])];
                return c.height[*kind] > *zlo;
            };
            int i = 0;
            while (i < steps) {
                int kind;
                float zlo;
                if (!edge(i, &kind, &zlo)) {
                    i++;
                    continue;
                }
                const float start_w = (along_y ? g.y0 : g.x0) + i * g.cell;
                const int tile_index = static_cast<int>(std::floor((start_w + 1e-3f) / c.tile));
                int end = i + 1;
                while (end < steps && end - i < per_tile) {
                    int kind2;
                    float zlo2;
                    if (!edge(end, &kind2, &zlo2) || kind2 != kind || zlo2 != zlo) break;
                    const float w = (along_y ? g.y0 : g.x0) + end * g.cell;
                    if (static_cast<int>(std::floor((w + 1e-3f) / c.tile)) != tile_index) break;
                    end++;
                }
                int cx, cy;
                cell_at(i, &cx, &cy);
                const float x0 = g.x0 + cx * g.cell, y0 = g.y0 + cy * g.cell;
                const float run = (end - i) * g.cell;
                float ax, ay, bx, by;
                if (along_y) {
                    ax = bx = d[0] > 0 ? x0 + g.cell : x0;
                    ay = y0, by = y0 + run;
                } else {
                    ay = by = d[1] > 0 ? y0 + g.cell : y0;
                    ax = x0, bx = x0 + run;
                }
                side(&c, ax, ay, bx, by, zlo, c.height[kind], d[0], d[1], kind);
                i = end;
            }
        }
    }
    mat4 S;
    kx_mat4_identity(&S);
    kx_mat4_scale(&S, 1.0f / ag_param(p, "map.draw_scale"));
    ag_mesh_transform(&c.mesh, S);
    return c.mesh;
}
