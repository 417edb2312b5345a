// Current matrices and the textured rectangle.
// Depends on kx_math, kx_gl, kx_sh, kx_app.
#include "engine/render/kx_matrices.h"

#include "engine/app/kx_app.h"
#include "engine/render/kx_gl.h"

kx_matrices_t kx_matrices;

void kx_proj_ortho_pixels() {
    kx_mat4_ortho(&kx_matrices.proj, 0.0f, static_cast<float>(kx_app.width), static_cast<float>(kx_app.height),
                  0.0f);
}

void kx_proj_ortho_unit() { kx_mat4_ortho(&kx_matrices.proj, 0.0f, 1.0f, 0.0f, 1.0f); }

void kx_proj_frustum_for(mat4* out, int width, int height, float size, float near_plane, float far_plane) {
    // A minimised window reports no area; keep the matrix finite.
    const float a = (width > 0 && height > 0) ? static_cast<float>(height) / static_cast<float>(width) : 1.0f;
    float half_w = size, half_h = size * a;
    if (a > 1.0f) {
        half_w = size / a;
        half_h = size;
    }
    kx_mat4_frustum(out, -half_w, half_w, -half_h, half_h, near_plane, far_plane);
}

void kx_proj_frustum(float size, float near_plane, float far_plane) {
    kx_proj_frustum_for(&kx_matrices.proj, kx_app.width, kx_app.height, size, near_plane, far_plane);
}

void kx_mv_identity() { kx_mat4_identity(&kx_matrices.modelview); }
void kx_mv_translate(float x, float y, float z) { kx_mat4_translate(&kx_matrices.modelview, x, y, z); }
void kx_mv_rotate(float angle, float x, float y, float z) { kx_mat4_rotate(&kx_matrices.modelview, angle, x, y, z); }
void kx_mv_scale(float s) { kx_mat4_scale(&kx_matrices.modelview, s); }

void kx_matrices_set(const kx_sh_t* sh) {
    glUniformMatrix4fv(sh->slot[KX_SH_U_PROJ], 1, GL_FALSE, kx_matrices.proj.m);
    glUniformMatrix4fv(sh->slot[KX_SH_U_MODELVIEW], 1, GL_FALSE, kx_matrices.modelview.m);
}

namespace {
// The rectangle's vertices live beyond the call: GL keeps the client pointers until
// the next attribute setup, and a pointer into a dead stack frame must never be left there.
float rect_vertices[4 * 12];
}  // namespace

void kx_draw_rect(int a_pos, int a_uv, float x1, float y1, float x2, float y2, float u1, float v1, float u2,
                  float v2, float z, float s3, float s4) {
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    const float corners[4][4] = {{x1, y1, u1, v1}, {x2, y1, u2, v1}, {x1, y2, u1, v2}, {x2, y2, u2, v2}};
    for (int i = 0; i < 4; ++i) {
        float* v = rect_vertices + i * 12;
        v[0] = corners[i][0];
        v[1] = corners[i][1];
        v[2] = z;
        v[3] = 1.0f;
        v[4] = corners[i][2];
        v[5] = corners[i][3];
        v[6] = s3;
        v[7] = s4;
        v[8] = v[9] = v[10] = v[11] = 0.0f;
    }
    glEnableVertexAttribArray(static_cast<GLuint>(a_pos));
    glVertexAttribPointer(static_cast<GLuint>(a_pos), 3, GL_FLOAT, GL_FALSE, 48, rect_vertices);
    glEnableVertexAttribArray(static_cast<GLuint>(a_uv));
    glVertexAttribPointer(static_cast<GLuint>(a_uv), 4, GL_FLOAT, GL_FALSE, 48, rect_vertices + 4);
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
}

void kx_draw_rect_unit(int a_pos, int a_uv, float x1, float y1, float x2, float y2) {
    kx_draw_rect(a_pos, a_uv, x1, y1, x2, y2, 0.0f, 0.0f, 1.0f, 1.0f, 0.0f, 0.0f, 0.0f);
}
