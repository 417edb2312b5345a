// Framebuffers: sample count from the driver, the completeness report, multisampled
// storage, and the game's two targets rebuilt at a new window size, drawn into and resolved.
#include "engine/render/kx_fbo.h"

#include <string>

#include "engine/app/kx_app.h"
#include "engine/render/kx_gl.h"
#include "game/game_fbo.h"
#include "tests/render/render_fixture.h"

namespace {

GLint rb_param(GLuint rb, GLenum pname) {
    GLint v = 0;
    glBindRenderbuffer(GL_RENDERBUFFER, rb);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, pname, &v);
    return v;
}
GLint tex_width(GLuint tex) {
    GLint v = 0;
    glBindTexture(GL_TEXTURE_2D, tex);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &v);
    return v;
}
GLint bound_framebuffer() {
    GLint v = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &v);
    return v;
}

}  // namespace

TEST(GameFboSettings, SampleCountFromDriverMaximum) {
    const int cases[][2] = {{8, 4}, {2, 2}, {0, 0}, {4, 2}, {16, 8}, {32, 16}, {3, 2}, {1, 2}};
    for (const auto& c : cases) {
        kx_gl_caps.max_samples = c[0];
        fbo_width = 7;
        ms_enabled = 1;
        game_fbo_reset_settings();
        EXPECT_EQ(ms_samples, c[1]) << c[0];
        EXPECT_EQ(fbo_width, 512);
        EXPECT_EQ(ms_enabled, 0);
    }
}

TEST_F(GlTest, FramebufferCompletenessReport) {
    EXPECT_STREQ(kx_fbo_status_text(0x8D56), "ERROR, incomplete multisample");
    EXPECT_STREQ(kx_fbo_status_text(0x8CD8), "[ERROR] Unknown framebuffer error.");
    kx_fbo_t f{};
    std::string log = logged([&] { kx_fbo_create(&f, 0, 0, 32, 32); });
    EXPECT_NE(log.find("[ERROR] Framebuffer incomplete: No image is attached to FBO.\n"), std::string::npos)
        << log;
    EXPECT_NE(f.fbo, 0u) << "an incomplete target is kept";
    kx_fbo_destroy(&f, 0);
    log = logged([&] { kx_fbo_create(&f, 0, GAME_FBO_MAIN_FLAGS, 100, 50); });
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
    EXPECT_EQ(bound_framebuffer(), 0);
    glBindFramebuffer(GL_FRAMEBUFFER, f.fbo);
    uint32_t status = 0;
    EXPECT_EQ(logged([&] { status = kx_fbo_report(); }), "Framebuffer complete.\n");
    EXPECT_EQ(status, 0x8CD5u);
    EXPECT_EQ(rb_param(f.depth_rb, GL_RENDERBUFFER_INTERNAL_FORMAT), GL_DEPTH_COMPONENT24);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    kx_fbo_destroy(&f, GAME_FBO_MAIN_FLAGS);
    EXPECT_FALSE(glIsFramebuffer(f.fbo) || glIsTexture(f.color_tex) || glIsRenderbuffer(f.depth_rb));
}

TEST_F(GlTest, MultisampledRenderbuffersFollowTheDriver) {
    const int samples = game_fbo_samples_for(kx_gl_caps.max_samples), real_max = kx_gl_caps.max_samples;
    for (int max : {real_max, 0}) {  // a driver without samples gets single-sample storage
        kx_gl_caps.max_samples = max;
        kx_fbo_t f{};
        kx_fbo_create(&f, samples, GAME_FBO_MS_FLAGS, 64, 48);
        const GLint got = rb_param(f.color_rb, GL_RENDERBUFFER_SAMPLES);
        EXPECT_TRUE(max ? got >= samples : got == 0) << got;
        EXPECT_EQ(rb_param(f.depth_rb, GL_RENDERBUFFER_SAMPLES), got);
        EXPECT_EQ(rb_param(f.color_rb, GL_RENDERBUFFER_HEIGHT), 48);
        kx_fbo_destroy(&f, GAME_FBO_MS_FLAGS);
    }
    kx_gl_caps.max_samples = real_max;
}

TEST_F(GlTest, GameTargetsAreRebuiltAtANewSizeAndResolved) {
    for (int ms : {0, 1}) {
        SCOPED_TRACE(ms);
        game_fbo_reset_settings();
        if (ms && ms_samples == 0) continue;
        kx_app.width = 640;
        kx_app.height = 480;
        game_fbo_init();
        EXPECT_EQ(tex_width(fbo_main.color_tex), 640);
        EXPECT_EQ(fbo_ms.fbo, 0u) << "no multisampled target while multisampling is off";
        // A resize (or switching multisampling on) stores the size and rebuilds.
        ms_enabled = ms;
        fbo_width = 96;
        fbo_height = 80;
        game_fbo_reconfigure();
        EXPECT_EQ(tex_width(fbo_main.color_tex), 96);
        EXPECT_EQ(rb_param(fbo_main.depth_rb, GL_RENDERBUFFER_HEIGHT), 80);
        EXPECT_EQ(ms ? rb_param(fbo_ms.color_rb, GL_RENDERBUFFER_HEIGHT) : 80, 80);
        // The scene drawn into either target reaches the main texture.
        game_fbo_bind_scene();
        EXPECT_EQ(bound_framebuffer(), static_cast<GLint>(ms ? fbo_ms.fbo : fbo_main.fbo));
        glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game_fbo_resolve();
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_main.fbo);
        EXPECT_EQ(test_gl_pixel(95, 79), 0x336699FFu);
        EXPECT_EQ(test_gl_pixel(0, 0), 0x336699FFu);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
        game_fbo_term();
        fbo_main = fbo_ms = kx_fbo_t{};
    }
}
