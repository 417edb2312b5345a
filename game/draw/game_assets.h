// What the game draws with: the eight models, thirteen textures, the game font
// and the twelve name-label meshes (one per player slot). Loaded on the main
// thread at game init in a fixed order and freed at game term in another.
// A missing model ends the program (status 1) with a line naming the file and
// how to rebuild the assets; a missing texture gives texture 0 and play goes on.
// Depends on kx_vbo, kx_tx, kx_font, kx_text, kx_app (em), kx_log.
#pragma once

#include <cstdint>

#include "engine/gui/kx_font.h"
#include "engine/render/kx_vbo.h"

// Models, in load order.
enum {
    GAME_MDL_REDCROSS = 0,
    GAME_MDL_MOUNTAINS1,
    GAME_MDL_TESTPLAYER,
    GAME_MDL_GUN1,
    GAME_MDL_MACGUN1,
    GAME_MDL_MINISPHERE,
    GAME_MDL_LASERBULLET,
    GAME_MDL_MAP3,
    GAME_MDL_COUNT
};

// Textures, in load order (the font texture is loaded with the font).
enum {
    GAME_TX_MENU_BACKGROUND = 0,
    GAME_TX_T2,
    GAME_TX_CRYSTAL,
    GAME_TX_T1,
    GAME_TX_GRASS,
    GAME_TX_GUI,
    GAME_TX_WHITE,
    GAME_TX_SKYBOX_BK,
    GAME_TX_SKYBOX_FR,
    GAME_TX_SKYBOX_LT,
    GAME_TX_SKYBOX_RT,
    GAME_TX_SKYBOX_UP,
    GAME_TX_FONT,
    GAME_TX_COUNT
};

constexpr int GAME_LABEL_COUNT = 12;

// Lifetime: filled by the loaders below during game init, released by the frees at game term.
struct game_assets_t {
    kx_vbo_t models[GAME_MDL_COUNT];
    uint32_t textures[GAME_TX_COUNT];  // 0 where a file failed to load
    kx_font_t font;
    kx_vbo_t labels[GAME_LABEL_COUNT];  // name label of player slot k
};

extern game_assets_t game_assets;

// File name of model m / texture t (as loaded, relative to the asset directory).
const char* game_model_path(int m);
const char* game_texture_path(int t);

// Load the eight models in order. A model that cannot be loaded is fatal (exit status 1).
void game_assets_load_models();
// Load textures 0..11 in order (smooth; gui and sky faces clamped).
void game_assets_load_textures();
// Load the font texture and "font/fontcyr.bin" (size 56, scale em / 10). Returns 1 when whole.
int game_assets_load_font();
// Build label k from names[k] (centred) for every slot, freeing the old meshes first.
void game_labels_build(const char* const names[GAME_LABEL_COUNT]);
// Build the one-letter labels "A" .. "L".
void game_labels_build_letters();
// Free the labels, the textures (t1, t2, grass, crystal, white, the sky faces, menu
// background, gui, font) and then the models (mountains1, redcross, gun1, macgun1,
// testplayer, map3, minisphere, laserbullet), each in that order.
void game_labels_free();
void game_assets_free_textures();
void game_assets_free_models();
