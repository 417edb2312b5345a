// Framebuffers: the game's sample count for a driver maximum, the completeness report,
// and the game's targets rebuilt at a new size, drawn into and resolved.
#include "engine/render/kx_fbo.h"

#include <string>
#include <utility>

#include "engine/app/kx_app.h"
#include "engine/render/kx_gl.h"
#include "game/draw/game_fbo.h"
#include "tests/render/render_fixture.h"

TEST(GameFboSettings, SampleCountFromDriverMaximum) {
    for (auto [max, samples] : {std::pair{16, 8}, {8, 4}, {4, 2}, {3, 2}, {2, 2}, {1, 2}, {0, 0}}) {
        kx_gl_caps.max_samples = max;
        game_fbo_reset_settings();
        EXPECT_EQ(ms_samples, samples) << max;
    }
}

TEST_F(GlTest, FramebufferCompletenessReport) {
    kx_fbo_t f{};
    const std::string log = logged([&] { kx_fbo_create(&f, 0, 0, 32, 32); });
    EXPECT_NE(log.find("[ERROR] Framebuffer incomplete: No image is attached to FBO.\n"), log.npos) << log;
    kx_fbo_destroy(&f, 0);
    kx_fbo_create(&f, 0, GAME_FBO_MAIN_FLAGS, 100, 50);
    glBindFramebuffer(GL_FRAMEBUFFER, f.fbo);
    uint32_t status = 0;
    EXPECT_EQ(logged([&] { status = kx_fbo_report(); }), "Framebuffer complete.\n");
    EXPECT_EQ(status, 0x8CD5u);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    kx_fbo_destroy(&f, GAME_FBO_MAIN_FLAGS);
}

TEST_F(GlTest, GameTargetsAreRebuiltAtANewSizeAndResolved) {
    game_fbo_reset_settings();
    kx_app.width = 640;
    kx_app.height = 480;
    game_fbo_init();
    ms_enabled = 1;  // switching multisampling on, like a resize, rebuilds both targets at the stored size
    fbo_width = 96;
    fbo_height = 80;
    game_fbo_reconfigure();
    GLint w = 0, h = 0;
    glBindTexture(GL_TEXTURE_2D, fbo_main.color_tex);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    EXPECT_EQ(std::pair(w, h), std::pair(96, 80));
    game_fbo_bind_scene();  // the multisampled target, resolved into the main texture
    glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    game_fbo_resolve();
    glBindFramebuffer(GL_FRAMEBUFFER, fbo_main.fbo);
    EXPECT_EQ(test_gl_pixel(95, 79), 0x336699FFu);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    game_fbo_term();
}
