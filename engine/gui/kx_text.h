// Text meshes: a string laid out with a font (kx_text_layout) and uploaded as a vertex
// buffer of six vertices per byte, drawn with the text shader and the font's texture.
// Main thread only (GL). Depends on kx_text_layout, kx_font, kx_render (kx_vbo, kx_sh), kx_glcheck.
#pragma once

#include "engine/gui/kx_font.h"
#include "engine/gui/kx_text_layout.h"
#include "engine/render/kx_sh.h"
#include "engine/render/kx_vbo.h"

// The text program; lives from kx_text_create_shader to kx_text_destroy_shader.
// Slots: u_proj, u_modelview, a_pos, a_uv, u_sampler, u_pos_modif (anchor x, anchor y,
// scale, alpha). The caller uses it, sets the uniforms and binds the font texture.
extern kx_sh_t kx_text_shader;

// Build the text program from two shader files and look up its six names.
void kx_text_create_shader(const char* vs_path, const char* fs_path);
// Build a program that draws text-layout vertices (the GUI's too) into sh and look up
// u_proj, u_modelview, a_pos, a_uv, u_sampler and u_pos_modif. Returns 1 when it linked.
int kx_text_program_create(kx_sh_t* sh, const char* vs_path, const char* fs_path);

// Release the text program.
void kx_text_destroy_shader();

// Lay str out (see kx_text_layout) and upload it into a new mesh owned by the caller
// (free it with kx_text_free before building again). A null str is the empty string.
void kx_text_build(kx_vbo_t* mesh, const kx_font_t* font, const char* str, int align, float scale,
                   float wrap_width);

// kx_text_build with scale 1 and no wrap.
void kx_text_build_label(kx_vbo_t* mesh, const kx_font_t* font, const char* str, int align);

// Delete the mesh's buffer.
void kx_text_free(kx_vbo_t* mesh);
