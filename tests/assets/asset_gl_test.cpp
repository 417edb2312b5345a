// Every generated model, texture and shader through the engine's own loaders on
// a real GL context: models load whole, textures decode to names, and each
// shader compiles, links and exposes the names the game looks up.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "assets/asset_read.h"
#include "engine/render/kx_gl.h"
#include "engine/render/kx_sh.h"
#include "engine/render/kx_tx.h"
#include "engine/render/kx_vbo.h"
#include "support/test_gl_context.h"

namespace {

class AssetGl : public ::testing::Test {
   protected:
    void SetUp() override {
        // The same size as the contact sheet: the test binary keeps its first window.
        if (!test_gl_open(1024, 600)) GTEST_SKIP() << "no display";
        ASSERT_EQ(chdir(asset_dir().c_str()), 0);
    }
};

TEST_F(AssetGl, EveryModelLoadsWhole) {
    for (const char* name : kModelNames) {
        const std::string path = std::string("models/") + name + ".rawmdl";
        kx_vbo_t vbo{};
        ASSERT_EQ(kx_vbo_try_rawmdl(&vbo, path.c_str()), 1) << path;
        EXPECT_EQ(vbo.count, read_bytes(path).size() / 32) << path;
        EXPECT_EQ(vbo.count % 3, 0u) << path;
        kx_vbo_destroy(&vbo);
    }
}

TEST_F(AssetGl, EveryTextureLoads) {
    for (const char* name : {"menu_background", "t2", "crystal", "t1", "grass", "gui", "white", "skybox_bk",
                             "skybox_fr", "skybox_lt", "skybox_rt", "skybox_up", "font8cyr"}) {
        const std::string path = std::string("textures/") + name + ".png";
        const uint32_t tex = kx_tx_load_png(path.c_str(), 1, 0, nullptr);
        EXPECT_NE(tex, 0u) << path;
        kx_tx_destroy(tex);
    }
}

struct shader_case_t {
    const char* name;
    std::vector<const char*> uniforms;
    std::vector<const char*> attribs;
};

TEST_F(AssetGl, EveryShaderBuildsWithTheNamesTheGameLooksUp) {
    const shader_case_t cases[] = {
        {"grid", {"u_proj", "u_modelview"}, {"a_pos", "a_uv"}},
        {"fullscreen", {"u_proj", "u_modelview", "u_sampler", "u_color"}, {"a_pos", "a_uv"}},
        {"light2",
         {"u_sampler", "u_color", "u_lval_k", "u_proj", "u_modelview", "u_modelview_light",
          "u_normal_matrix"},
         {"a_pos", "a_uv", "a_norm"}},
        {"simple", {"u_proj", "u_modelview", "u_sampler", "u_multiplier", "u_color"}, {"a_pos", "a_uv"}},
        {"text", {"u_proj", "u_modelview", "u_pos_modif", "u_sampler"}, {"a_pos", "a_uv"}},
        {"gui", {"u_proj", "u_modelview", "u_pos_modif", "u_sampler"}, {"a_pos", "a_uv"}},
    };
    for (const shader_case_t& c : cases) {
        const std::string vs = std::string("shaders/") + c.name + ".vert.glsl";
        const std::string fs = std::string("shaders/") + c.name + ".frag.glsl";
        kx_sh_t sh;
        EXPECT_EQ(kx_sh_create(&sh, vs.c_str(), fs.c_str()), 1) << c.name;
        for (const char* u : c.uniforms) EXPECT_NE(kx_sh_uniform(&sh, u), -1) << c.name << " " << u;
        for (const char* a : c.attribs) EXPECT_NE(kx_sh_attrib(&sh, a), -1) << c.name << " " << a;
        kx_sh_destroy(&sh);
    }
}

}  // namespace
