// Loading and freeing the game's drawing assets (see game_assets.h).
// Depends on kx_vbo, kx_tx, kx_font, kx_text, kx_app, kx_log.
#include "game/draw/game_assets.h"

#include <cstdlib>

#include "engine/app/kx_app.h"
#include "engine/app/kx_log.h"
#include "engine/gui/kx_text.h"
#include "engine/render/kx_tx.h"

game_assets_t game_assets;

namespace {

const char* const kModelPaths[GAME_MDL_COUNT] = {
    "models/redcross.rawmdl",   "models/mountains1.rawmdl", "models/testplayer.rawmdl",
    "models/gun1.rawmdl",       "models/macgun1.rawmdl",    "models/minisphere.rawmdl",
    "models/laserbullet.rawmdl", "models/map3.rawmdl"};

struct texture_file_t {
    const char* path;
    int clamp;
};
const texture_file_t kTextures[GAME_TX_COUNT] = {
    {"textures/menu_background.png", 0}, {"textures/t2.png", 0},         {"textures/crystal.png", 0},
    {"textures/t1.png", 0},              {"textures/grass.png", 0},      {"textures/gui.png", 1},
    {"textures/white.png", 0},           {"textures/skybox_bk.png", 1},  {"textures/skybox_fr.png", 1},
    {"textures/skybox_lt.png", 1},       {"textures/skybox_rt.png", 1},  {"textures/skybox_up.png", 1},
    {"textures/font8cyr.png", 1}};

const int kTextureFreeOrder[GAME_TX_COUNT] = {
    GAME_TX_T1,        GAME_TX_T2,        GAME_TX_GRASS,     GAME_TX_CRYSTAL,   GAME_TX_WHITE,
    GAME_TX_SKYBOX_BK, GAME_TX_SKYBOX_FR, GAME_TX_SKYBOX_LT, GAME_TX_SKYBOX_RT, GAME_TX_SKYBOX_UP,
    GAME_TX_MENU_BACKGROUND, GAME_TX_GUI, GAME_TX_FONT};
const int kModelFreeOrder[GAME_MDL_COUNT] = {GAME_MDL_MOUNTAINS1, GAME_MDL_REDCROSS,   GAME_MDL_GUN1,
                                             GAME_MDL_MACGUN1,    GAME_MDL_TESTPLAYER, GAME_MDL_MAP3,
                                             GAME_MDL_MINISPHERE, GAME_MDL_LASERBULLET};

}  // namespace

const char* game_model_path(int m) { return m >= 0 && m < GAME_MDL_COUNT ? kModelPaths[m] : ""; }
const char* game_texture_path(int t) { return t >= 0 && t < GAME_TX_COUNT ? kTextures[t].path : ""; }

void game_assets_load_models() {
    for (int m = 0; m < GAME_MDL_COUNT; m++) {
        if (kx_vbo_try_rawmdl(&game_assets.models[m], kModelPaths[m])) continue;
        kxLog("Missing game model %s: rebuild the assets (cmake --build <build dir> --target assets) \n",
              kModelPaths[m]);
        std::exit(1);
    }
}

void game_assets_load_textures() {
    for (int t = 0; t < GAME_TX_FONT; t++)
        game_assets.textures[t] = kx_tx_load_png(kTextures[t].path, 1, kTextures[t].clamp, nullptr);
}

int game_assets_load_font() {
    const uint32_t tex = kx_tx_load_png(kTextures[GAME_TX_FONT].path, 1, 1, nullptr);
    game_assets.textures[GAME_TX_FONT] = tex;
    return kx_font_create(&game_assets.font, tex, "font/fontcyr.bin", 56, kx_app.em / 10.0f);
}

void game_labels_build(const char* const names[GAME_LABEL_COUNT]) {
    for (int k = 0; k < GAME_LABEL_COUNT; k++) {
        if (game_assets.labels[k].buffer != 0) kx_text_free(&game_assets.labels[k]);
        kx_text_build_label(&game_assets.labels[k], &game_assets.font, names[k], KX_TEXT_ALIGN_CENTER);
    }
}

void game_labels_build_letters() {
    static const char* const letters[GAME_LABEL_COUNT] = {"A", "B", "C", "D", "E", "F",
                                                          "G", "H", "I", "J", "K", "L"};
    game_labels_build(letters);
}

void game_labels_free() {
    for (kx_vbo_t& label : game_assets.labels) {
        if (label.buffer != 0) kx_text_free(&label);
        label = kx_vbo_t{};
    }
}

void game_assets_free_textures() {
    for (int t : kTextureFreeOrder) {
        kx_tx_destroy(game_assets.textures[t]);
        game_assets.textures[t] = 0;
    }
}

void game_assets_free_models() {
    for (int m : kModelFreeOrder) {
        kx_vbo_destroy(&game_assets.models[m]);
        game_assets.models[m] = kx_vbo_t{};
    }
}
