// Triangle meshes for .rawmdl files and the primitive builders the models are
// made of. A .rawmdl file is a bare list of 32-byte vertex records, three per
// triangle: position x, y, z, normal x, y, z, texture u, v (little-endian
// floats), no header. Front faces wind counter-clockwise seen from outside.
// Depends on kx_math (vec3, mat4), ag_atlas.
#pragma once

#include <vector>

#include "engine/math/kx_math.h"
#include "tools/assetgen/ag_atlas.h"

struct ag_vertex_t {
    vec3 pos;
    vec3 normal;
    float u, v;
};

struct ag_mesh_t {
    std::vector<ag_vertex_t> verts;  // three per triangle
};

// Writes the mesh as .rawmdl; returns 0, or -1 after a log line.
int ag_rawmdl_write(const char* path, const ag_mesh_t& mesh);

void ag_mesh_append(ag_mesh_t* dst, const ag_mesh_t& src);
// Transforms positions by M and normals by M's rotation part (renormalised).
void ag_mesh_transform(ag_mesh_t* mesh, const mat4& M);

// One flat quad p0 p1 p2 p3 (counter-clockwise from the front) with texture
// coordinates per corner.
void ag_mesh_quad(ag_mesh_t* m, vec3 p0, vec3 p1, vec3 p2, vec3 p3, const float uv[8]);

// An axis-aligned box; each face maps the whole region.
void ag_mesh_box(ag_mesh_t* m, vec3 lo, vec3 hi, const ag_region_t& region);
// A closed cylinder along +z from `base`, `segments` sides, smooth sides and flat caps.
void ag_mesh_cylinder(ag_mesh_t* m, vec3 base, float radius, float length, int segments,
                      const ag_region_t& region);
// A tapered closed tube along +z: radius r0 at the base, r1 at the top.
void ag_mesh_cone(ag_mesh_t* m, vec3 base, float r0, float r1, float length, int segments,
                  const ag_region_t& region);
// An ellipsoid with radii (rx, ry, rz) and smooth normals.
void ag_mesh_sphere(ag_mesh_t* m, vec3 centre, vec3 radii, int segments, int rings,
                    const ag_region_t& region);

// Rotation matrix helpers for placing parts.
mat4 ag_rotation(float angle, float x, float y, float z);
mat4 ag_translation(float x, float y, float z);
