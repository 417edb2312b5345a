// Mesh builders and the .rawmdl writer. Depends on kx_math, kx_log, ag_atlas.
#include "tools/assetgen/ag_mesh.h"

#include <cmath>
#include <cstdio>

#include "engine/app/kx_log.h"

static constexpr float kPi = 3.14159265358979f;

int ag_rawmdl_write(const char* path, const ag_mesh_t& mesh) {
    FILE* f = std::fopen(path, "wb");
    if (!f) {
        kxLog("assetgen: can't write %s \n", path);
        return -1;
    }
    bool ok = true;
    for (const ag_vertex_t& v : mesh.verts) {
        const float rec[8] = {v.pos.x, v.pos.y, v.pos.z, v.normal.x, v.normal.y, v.normal.z, v.u, v.v};
        ok = ok && std::fwrite(rec, sizeof rec, 1, f) == 1;
    }
    if (std::fclose(f) != 0 || !ok) {
        kxLog("assetgen: write failed on %s \n", path);
        return -1;
    }
    return 0;
}

void ag_mesh_append(ag_mesh_t* dst, const ag_mesh_t& src) {
    dst->verts.insert(dst->verts.end(), src.verts.begin(), src.verts.end());
}

static vec3 normalize(vec3 v) {
    const float l = kx_vec3_length(v);
    return l > 0 ? kx_vec3_scale(v, 1.0f / l) : v;
}

static vec3 cross(vec3 a, vec3 b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

void ag_mesh_transform(ag_mesh_t* mesh, const mat4& M) {
    for (ag_vertex_t& v : mesh->verts) {
        v.pos = kx_mat4_transform(&M, v.pos);
        const vec3 n = v.normal;
        v.normal =
            normalize({M.m[0] * n.x + M.m[4] * n.y + M.m[8] * n.z, M.m[1] * n.x + M.m[5] * n.y + M.m[9] * n.z,
                       M.m[2] * n.x + M.m[6] * n.y + M.m[10] * n.z});
    }
}

static void push(ag_mesh_t* m, vec3 p, vec3 n, float u, float v) { m->verts.push_back({p, n, u, v}); }

void ag_mesh_quad(ag_mesh_t* m, vec3 p0, vec3 p1, vec3 p2, vec3 p3, const float uv[8]) {
    const vec3 n = normalize(cross(kx_vec3_sub(p1, p0), kx_vec3_sub(p2, p0)));
    push(m, p0, n, uv[0], uv[1]);
    push(m, p1, n, uv[2], uv[3]);
    push(m, p2, n, uv[4], uv[5]);
    push(m, p0, n, uv[0], uv[1]);
    push(m, p2, n, uv[4], uv[5]);
    push(m, p3, n, uv[6], uv[7]);
}

static void region_quad(ag_mesh_t* m, vec3 p0, vec3 p1, vec3 p2, vec3 p3, const ag_region_t& r) {
    // p0 bottom-left, p1 bottom-right, p2 top-right, p3 top-left (v = v0 at the top).
    const float uv[8] = {r.u0, r.v1, r.u1, r.v1, r.u1, r.v0, r.u0, r.v0};
    ag_mesh_quad(m, p0, p1, p2, p3, uv);
}

void ag_mesh_box(ag_mesh_t* m, vec3 a, vec3 b, const ag_region_t& r) {
    const vec3 p000 = {a.x, a.y, a.z}, p100 = {b.x, a.y, a.z}, p010 = {a.x, b.y, a.z}, p110 = {b.x, b.y, a.z};
    const vec3 p001 = {a.x, a.y, b.z}, p101 = {b.x, a.y, b.z}, p011 = {a.x, b.y, b.z}, p111 = {b.x, b.y, b.z};
    region_quad(m, p000, p100, p101, p001, r);  // -y
    region_quad(m, p100, p110, p111, p101, r);  // +x
    region_quad(m, p110, p010, p011, p111, r);  // +y
    region_quad(m, p010, p000, p001, p011, r);  // -x
    region_quad(m, p001, p101, p111, p011, r);  // +z
    region_quad(m, p010, p110, p100, p000, r);  // -z
}

void ag_mesh_cone(ag_mesh_t* m, vec3 base, float r0, float r1, float length, int segments,
                  const ag_region_t& r) {
    // Side normals lean by the taper so lighting follows the slope.
    const float slope = (r0 - r1) / length;
    for (int i = 0; i < segments; i++) {
        const float a0 = 2 * kPi * i / segments, a1 = 2 * kPi * (i + 1) / segments;
        const float c0 = std::cos(a0), s0 = std::sin(a0), c1 = std::cos(a1), s1 = std::sin(a1);
        const vec3 b0 = {base.x + r0 * c0, base.y + r0 * s0, base.z},
                   b1 = {base.x + r0 * c1, base.y + r0 * s1, base.z};
        const vec3 t0 = {base.x + r1 * c0, base.y + r1 * s0, base.z + length},
                   t1 = {base.x + r1 * c1, base.y + r1 * s1, base.z + length};
        const vec3 n0 = normalize({c0, s0, slope}), n1 = normalize({c1, s1, slope});
        const float u0 = ag_region_u(r, static_cast<float>(i) / segments),
                    u1 = ag_region_u(r, static_cast<float>(i + 1) / segments);
        push(m, b0, n0, u0, r.v1);
        push(m, b1, n1, u1, r.v1);
        push(m, t1, n1, u1, r.v0);
        push(m, b0, n0, u0, r.v1);
        push(m, t1, n1, u1, r.v0);
        push(m, t0, n0, u0, r.v0);
        // caps
        const vec3 top = {base.x, base.y, base.z + length};
        const float cu = (r.u0 + r.u1) / 2, cv = (r.v0 + r.v1) / 2, hu = (r.u1 - r.u0) / 2,
                    hv = (r.v1 - r.v0) / 2;
        if (r1 > 0) {
            push(m, top, {0, 0, 1}, cu, cv);
            push(m, t0, {0, 0, 1}, cu + hu * c0, cv + hv * s0);
            push(m, t1, {0, 0, 1}, cu + hu * c1, cv + hv * s1);
        }
        if (r0 > 0) {
            push(m, base, {0, 0, -1}, cu, cv);
            push(m, b1, {0, 0, -1}, cu + hu * c1, cv + hv * s1);
            push(m, b0, {0, 0, -1}, cu + hu * c0, cv + hv * s0);
        }
    }
}

void ag_mesh_cylinder(ag_mesh_t* m, vec3 base, float radius, float length, int segments,
                      const ag_region_t& r) {
    ag_mesh_cone(m, base, radius, radius, length, segments, r);
}

void ag_mesh_sphere(ag_mesh_t* m, vec3 c, vec3 rad, int segments, int rings, const ag_region_t& r) {
    auto point = [&](int i, int j, vec3* p, vec3* n, float* u, float* v) {
        const float th = kPi * j / rings, ph = 2 * kPi * i / segments;
        const vec3 d = {std::sin(th) * std::cos(ph), std::sin(th) * std::sin(ph), std::cos(th)};
        *p = {c.x + rad.x * d.x, c.y + rad.y * d.y, c.z + rad.z * d.z};
        *n = normalize({d.x / rad.x, d.y / rad.y, d.z / rad.z});
        *u = ag_region_u(r, static_cast<float>(i) / segments);
        *v = ag_region_v(r, static_cast<float>(j) / rings);
    };
    for (int j = 0; j < rings; j++) {
        for (int i = 0; i < segments; i++) {
            vec3 p[4], n[4];
            float u[4], v[4];
            point(i, j, &p[0], &n[0], &u[0], &v[0]);
            point(i, j + 1, &p[1], &n[1], &u[1], &v[1]);
            point(i + 1, j + 1, &p[2], &n[2], &u[2], &v[2]);
            point(i + 1, j, &p[3], &n[3], &u[3], &v[3]);
            // Rings run from the top pole down; this order is counter-clockwise from outside.
            if (j > 0) {
                push(m, p[0], n[0], u[0], v[0]);
                push(m, p[1], n[1], u[1], v[1]);
                push(m, p[3], n[3], u[3], v[3]);
            }
            if (j < rings - 1) {
                push(m, p[1], n[1], u[1], v[1]);
                push(m, p[2], n[2], u[2], v[2]);
                push(m, p[3], n[3], u[3], v[3]);
            }
        }
    }
}

mat4 ag_rotation(float angle, float x, float y, float z) {
    mat4 M;
    kx_mat4_identity(&M);
    kx_mat4_rotate(&M, angle, x, y, z);
    return M;
}

mat4 ag_translation(float x, float y, float z) {
    mat4 M;
    kx_mat4_identity(&M);
    kx_mat4_translate(&M, x, y, z);
    return M;
}
