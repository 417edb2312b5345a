// Shader programs: a vertex and a fragment source (two files under the asset
// directory, or two texts) built into one program whose uniform and attribute
// locations sit in fixed slots, the same slot for the same name in every program.
// A broken shader is logged and the program goes on with it (locations are -1).
// Also the two engine programs, kx_sh_default and kx_sh_pyramid.
// Depends on kx_gl (entry points), kx_log, kx_glcheck.
#pragma once

#include <cstdint>

// Slot numbers. 0..2 hold the GL objects; the rest hold locations (-1 when absent).
enum {
    KX_SH_PROGRAM = 0,
    KX_SH_VERTEX = 1,
    KX_SH_FRAGMENT = 2,
    KX_SH_U_PROJ = 4,               // "u_proj", mat4
    KX_SH_U_MODELVIEW = 5,          // "u_modelview", mat4
    KX_SH_U_MODELVIEW_LIGHT = 6,    // "u_modelview_light", mat4
    KX_SH_U_NORMAL_MATRIX = 7,      // "u_normal_matrix", mat3
    KX_SH_A_POS = 8,                // "a_pos", vec4 (3 or 4 floats fed)
    KX_SH_A_UV = 9,                 // "a_uv", vec2
    KX_SH_A_NORM = 10,              // "a_norm", vec3
    KX_SH_U_SAMPLER = 11,           // "sTexture" (default program) or "u_sampler"
    KX_SH_U_LVAL_K = 12,            // "u_lval_k", vec3 (light programs)
    KX_SH_U_POS_MODIF = 12,         // "u_pos_modif" (GUI and text programs)
    KX_SH_K_VALUE = 13,             // "k_value", float (pyramid)
    KX_SH_U_MULTIPLIER = 14,        // "u_multiplier", vec4 (simple)
    KX_SH_U_COLOR = 15,             // "u_color", vec4 (fullscreen, simple)
    KX_SH_U_COLOR_LIGHT = 16,       // "u_color", vec4 (light)
    KX_SH_SLOT_COUNT = 32
};

// One program: slot[0] program, slot[1] vertex shader, slot[2] fragment shader,
// slot[3..31] locations. Owned by whoever holds the record; plain value.
struct kx_sh_t {
    int32_t slot[KX_SH_SLOT_COUNT];
};

// The engine's own programs, built by kx_sh_init and freed by kx_sh_term.
// kx_sh_default: textured ("u_proj", "u_modelview", "a_pos", "a_uv", "sTexture").
// kx_sh_pyramid: flat colour from "k_value".
extern kx_sh_t kx_sh_default;
extern kx_sh_t kx_sh_pyramid;

// Largest source file a build accepts (a zero byte follows it in the 32768-byte buffer).
constexpr long KX_SH_MAX_SOURCE = 32767;

// Build sh from two files (paths relative to the working directory). Every slot is
// set to -1 first. Returns 1 when both shaders compiled and the program linked,
// 0 otherwise (a failed compile fails the link; logged); sh keeps whatever objects were created. A missing or
// oversized file is never read: the build stops at its log line.
int kx_sh_create(kx_sh_t* sh, const char* vs_path, const char* fs_path);

// The same from two zero-terminated source texts. Returns 1 / 0 as kx_sh_create.
int kx_sh_create_src(kx_sh_t* sh, const char* vs_text, const char* fs_text);

// Make the program current (glUseProgram on slot 0).
void kx_sh_use(const kx_sh_t* sh);

// glGetUniformLocation / glGetAttribLocation of slot 0; -1 when the name is absent.
int32_t kx_sh_uniform(const kx_sh_t* sh, const char* name);
int32_t kx_sh_attrib(const kx_sh_t* sh, const char* name);

// Detach and delete the shaders and the program. The record is not cleared.
void kx_sh_destroy(kx_sh_t* sh);

// Build / free the two engine programs (the platform shell calls these).
void kx_sh_init();
void kx_sh_term();
