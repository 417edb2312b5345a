// Painters of the game's textures: the ground, grass, the level atlas
// ("crystal"), the player suit ("t2"), plain white, the menu background and the
// five sky faces. Each returns a finished image; all randomness is seeded.
// Depends on ag_image, ag_noise, ag_params, ag_atlas.
#pragma once

#include "tools/assetgen/ag_image.h"
#include "tools/assetgen/ag_params.h"

// Sky box faces in the order the files are named: bk, fr, lt, rt, up.
enum { AG_SKY_BK, AG_SKY_FR, AG_SKY_LT, AG_SKY_RT, AG_SKY_UP, AG_SKY_FACES };
extern const char* const ag_sky_face_names[AG_SKY_FACES];

ag_image_t ag_tex_ground(const ag_params_t& p);   // "t1": tileable ground
ag_image_t ag_tex_grass(const ag_params_t& p);    // tileable grass of the hills
ag_image_t ag_tex_crystal(const ag_params_t& p);  // the level atlas (ag_atlas.h)
ag_image_t ag_tex_suit(const ag_params_t& p);     // "t2"
ag_image_t ag_tex_white();
ag_image_t ag_tex_menu_background(const ag_params_t& p);
ag_image_t ag_tex_sky_face(const ag_params_t& p, int face);

// The sky's look, read once from the parameters.
struct ag_sky_t {
    ag_rgb_t zenith, horizon, below;
    float sun[3];  // unit direction towards the sun
    float cloud_scale, cloud_cover;
};
ag_sky_t ag_sky_make(const ag_params_t& p);

// The sky's colour in a world direction (z up; need not be unit length).
ag_rgb_t ag_sky_color(const ag_sky_t& sky, float x, float y, float z);
// Which direction a texel of a sky face shows, matching the sky box corners the
// level renderer draws: (s, t) in 0..1 with t = 0 on the top row.
void ag_sky_face_dir(int face, float s, float t, float* x, float* y, float* z);
