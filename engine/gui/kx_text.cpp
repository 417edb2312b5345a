// Text meshes and the text program (see kx_text.h).
#include "engine/gui/kx_text.h"

#include <cstring>
#include <vector>

#include "engine/app/kx_glcheck.h"
#include "engine/render/kx_gl.h"

kx_sh_t kx_text_shader;

int kx_text_program_create(kx_sh_t* sh, const char* vs_path, const char* fs_path) {
    const int ok = kx_sh_create(sh, vs_path, fs_path);
    kx_sh_use(sh);
    sh->slot[KX_SH_U_PROJ] = kx_sh_uniform(sh, "u_proj");
    sh->slot[KX_SH_U_MODELVIEW] = kx_sh_uniform(sh, "u_modelview");
    sh->slot[KX_SH_A_POS] = kx_sh_attrib(sh, "a_pos");
    sh->slot[KX_SH_A_UV] = kx_sh_attrib(sh, "a_uv");
    sh->slot[KX_SH_U_SAMPLER] = kx_sh_uniform(sh, "u_sampler");
    sh->slot[KX_SH_U_POS_MODIF] = kx_sh_uniform(sh, "u_pos_modif");
    return ok;
}

void kx_text_create_shader(const char* vs_path, const char* fs_path) {
    kx_text_program_create(&kx_text_shader, vs_path, fs_path);
    kxCheckGlError("text create shader");
}

void kx_text_destroy_shader() { kx_sh_destroy(&kx_text_shader); }

void kx_text_build(kx_vbo_t* mesh, const kx_font_t* font, const char* str, int align, float scale,
                   float wrap_width) {
    if (!str) str = "";
    const size_t len = std::strlen(str);
    std::vector<float> vertices(len * KX_TEXT_FLOATS_PER_BYTE);
    kx_text_layout(font, str, len, align, scale, wrap_width, vertices.data());
    static const kx_vbo_attrib_t attribs[2] = {
        {4, GL_FLOAT, 0, KX_SH_A_POS},
        {4, GL_FLOAT, 4, KX_SH_A_UV},
    };
    kx_vbo_create(mesh, vertices.data(), static_cast<uint32_t>(len * KX_TEXT_VERTS_PER_BYTE),
                  KX_TEXT_FLOATS_PER_VERTEX, GL_TRIANGLES, 2, attribs);
    kxCheckGlError("kx_vbo_create");
}

void kx_text_build_label(kx_vbo_t* mesh, const kx_font_t* font, const char* str, int align) {
    kx_text_build(mesh, font, str, align, 1.0f, 0.0f);
}

void kx_text_free(kx_vbo_t* mesh) { kx_vbo_destroy(mesh); }
