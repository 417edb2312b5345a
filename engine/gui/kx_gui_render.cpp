// GUI drawing: the GUI program, the two passes, and the items' text meshes (see kx_gui.h).
#include <cstring>
#include <vector>

#include "engine/app/kx_app.h"
#include "engine/app/kx_glcheck.h"
#include "engine/app/kx_log.h"
#include "engine/gui/kx_gui.h"
#include "engine/gui/kx_text.h"
#include "engine/render/kx_gl.h"
#include "engine/render/kx_matrices.h"

int kx_gui_create_shader(const char* vs_path, const char* fs_path) {
    // Same vertex layout and names as the text program.
    const int ok = kx_text_program_create(&kx_gui.shader, vs_path, fs_path);
    kxCheckGlError("gui create shader");
    return ok;
}

void kx_gui_destroy_shader() { kx_sh_destroy(&kx_gui.shader); }

// ---- text meshes ---------------------------------------------------------------------------

void kx_gui_update_text(int item, int force) {
    if (item < 0 || item >= kx_gui.count) return;
    kx_gui_item_t* it = &kx_gui.items[item];
    it->text_scale = 0.8f, it->font = 0;
    if (it->flags & KX_GUI_SMALL) it->text_scale = 0.65f, it->font = 1;
    if (it->flags & KX_GUI_SMALLER) it->text_scale = 0.5f, it->font = 2;
    const kx_font_t* font = kx_gui.fonts[it->font];
    const float wrap = (static_cast<float>(it->w) - 2.0f * kx_app.em) * static_cast<float>(it->wrap);
    it->text[KX_GUI_TEXT_SIZE - 1] = 0;
    if (!force && it->mesh_built && it->mesh_font == font && font && it->mesh_font_scale == font->scale &&
        it->mesh_scale == it->text_scale && it->mesh_wrap == wrap && it->mesh_align == it->align &&
        std::strcmp(it->mesh_text, it->text) == 0)
        return;
    kx_gui_free_text(item);
    if (!font) return;
    kx_gui.text_builds++;
    if (it->text[0]) kx_text_build(&it->text_mesh, font, it->text, it->align, it->text_scale, wrap);
    it->mesh_built = 1;
    it->mesh_font = font;
    it->mesh_font_scale = font->scale;
    it->mesh_scale = it->text_scale;
    it->mesh_wrap = wrap;
    it->mesh_align = it->align;
    std::strcpy(it->mesh_text, it->text);
}

void kx_gui_free_text(int item) {
    if (item < 0 || item >= kx_gui.count) return;
    kx_gui_item_t* it = &kx_gui.items[item];
    if (it->text_mesh.buffer) kx_text_free(&it->text_mesh);
    std::memset(&it->text_mesh, 0, sizeof it->text_mesh);
    it->mesh_built = 0;
}

// ---- drawing -------------------------------------------------------------------------------

namespace {

void set_modif(int32_t location, const kx_gui_item_t* it) {
    glUniform4f(location, kx_gui_param(it, 0), kx_gui_param(it, 1), kx_gui_param(it, 2), kx_gui_param(it, 3));
}

}  // namespace

void kx_gui_render() {
    if (kx_gui.count <= 0 || !kx_gui.vertices) return;
    static std::vector<int> texts;
    texts.clear();

    // Pass 1: quads.
    const kx_sh_t* sh = &kx_gui.shader;
    glActiveTexture(GL_TEXTURE0);
    glBindTexture(GL_TEXTURE_2D, kx_gui.texture);
    kx_sh_use(sh);
    kx_matrices_set(sh);
    if (sh->slot[KX_SH_U_SAMPLER] != -1) glUniform1i(sh->slot[KX_SH_U_SAMPLER], 0);
    glUniform4f(sh->slot[KX_SH_U_POS_MODIF], 0.0f, 0.0f, 1.0f, 1.0f);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    const int32_t a_pos = sh->slot[KX_SH_A_POS], a_uv = sh->slot[KX_SH_A_UV];
    const GLsizei stride = KX_GUI_VERTEX_FLOATS * sizeof(float);
    if (a_pos != -1) {
        glEnableVertexAttribArray(static_cast<GLuint>(a_pos));
        glVertexAttribPointer(static_cast<GLuint>(a_pos), 4, GL_FLOAT, GL_FALSE, stride, kx_gui.vertices);
    }
    if (a_uv != -1) {
        glEnableVertexAttribArray(static_cast<GLuint>(a_uv));
        glVertexAttribPointer(static_cast<GLuint>(a_uv), 4, GL_FLOAT, GL_FALSE, stride, kx_gui.vertices + 4);
    }
    glDisable(GL_DEPTH_TEST);
    kxCheckGlError("GUI before render-loop");

    int skip = 99;
    for (int i = 1; i < kx_gui.count; i++) {
        const kx_gui_item_t* it = &kx_gui.items[i];
        if (it->level >= skip) continue;
        skip = it->level + 1;
        if (it->flags & KX_GUI_HIDDEN) continue;
        if (it->type == KX_GUI_CONTAINER) set_modif(sh->slot[KX_SH_U_POS_MODIF], it);
        const int n = kx_gui_type_vertices(it->type);
        if (n > 0) glDrawArrays(GL_TRIANGLES, it->first_vertex, n);
        if (it->has_text || it->type == KX_GUI_CONTAINER) texts.push_back(i);
        skip = 99;
        kxCheckGlError("GUI func [KX_RENDER] ()");
    }
    if (a_pos != -1) glDisableVertexAttribArray(static_cast<GLuint>(a_pos));
    if (a_uv != -1) glDisableVertexAttribArray(static_cast<GLuint>(a_uv));

    // Pass 2: texts.
    const kx_sh_t* ts = &kx_text_shader;
    const int32_t modif = ts->slot[KX_SH_U_POS_MODIF];
    kx_sh_use(ts);
    kx_matrices_set(ts);
    glUniform1i(ts->slot[KX_SH_U_SAMPLER], 0);
    glUniform4f(modif, 20.0f, static_cast<float>(kx_app.height / 2), 1.0f, 1.0f);
    const uint32_t font_texture = kx_gui.fonts[0] ? kx_gui.fonts[0]->texture : 0;
    glBindTexture(GL_TEXTURE_2D, font_texture);
    float dx = 0.0f, dy = 0.0f, scale = 1.0f, alpha = 1.0f;
    for (int i : texts) {
        kx_gui_item_t* it = &kx_gui.items[i];
        if (it->type == KX_GUI_CONTAINER) {
            dx = kx_gui_param(it, 0), dy = kx_gui_param(it, 1);
            scale = kx_gui_param(it, 2), alpha = kx_gui_param(it, 3);
            continue;
        }
        // The anchor follows the container's scale as the quads do (the GUI shader scales
        // positions before moving them), so a text stays on its panel during a transition.
        glUniform4f(modif, static_cast<float>(it->text_x) * scale + dx, static_cast<float>(it->text_y) * scale + dy,
                    scale, alpha);
        if (kx_gui.images_on && it->image[3] - it->image[1] > 0.001f) {
            const float hh = 0.35f * static_cast<float>(it->h), hw = it->image_aspect * hh;
            const float c = it->align == 0 ? hw : it->align == 2 ? 0.0f : -hw;
            glBindTexture(GL_TEXTURE_2D, kx_gui.image_texture ? kx_gui.image_texture : kx_gui.texture);
            kx_draw_rect(ts->slot[KX_SH_A_POS], ts->slot[KX_SH_A_UV], c - hw, -hh, c + hw, hh, it->image[0],
                         it->image[1], it->image[2], it->image[3], 0.0f, 1.0f, 0.0f);
            glBindTexture(GL_TEXTURE_2D, font_texture);
            if (!(it->flags & KX_GUI_TEXT_WITH_IMAGE)) continue;
        }
        if (!it->text_mesh.buffer || it->text_mesh.count == 0) continue;
        int count = static_cast<int>(it->text_mesh.count);
        if (it->flags & KX_GUI_BLINK) {
            const int trim = (~(kx_app.time >> 8)) & 3;
            count -= trim * 6;
            if (count < 0) count = 0;
            if (trim != it->trim_logged || count != it->vbo_logged) {
                kxLog("trim_count %d, vbo_count %d\n", trim, count);
                it->trim_logged = trim, it->vbo_logged = count;
            }
        }
        if (count > 0) kx_vbo_draw_ex(&it->text_mesh, ts, GL_TRIANGLES, static_cast<uint32_t>(count));
    }
}
