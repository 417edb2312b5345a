// Framebuffers: the report texts, complete and incomplete targets, multisampled
// storage, and the game's rule that keeps its two targets matched to the window
// (sample count from the driver, rebuild at a new size, drawing and resolving).
#include <string>

#include "engine/app/kx_app.h"
#include "engine/render/kx_fbo.h"
#include "engine/render/kx_gl.h"
#include "game/game_fbo.h"
#include "tests/render/render_fixture.h"

namespace {

GLint rb_param(GLuint rb, GLenum pname) {
    GLint v = 0;
    glBindRenderbuffer(GL_RENDERBUFFER, rb);
    glGetRenderbufferParameteriv(GL_RENDERBUFFER, pname, &v);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
    return v;
}
GLint tex_size(GLuint tex, GLenum pname) {
    GLint v = 0;
    glBindTexture(GL_TEXTURE_2D, tex);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, pname, &v);
    glBindTexture(GL_TEXTURE_2D, 0);
    return v;
}
GLint bound_framebuffer() {
    GLint v = -1;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &v);
    return v;
}

class KxFbo : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        fbo_main = kx_fbo_t{};
        fbo_ms = kx_fbo_t{};
    }
};

}  // namespace

TEST(GameFboSettings, SampleCountFromDriverMaximum) {
    const struct {
        int max_samples, expected;
    } cases[] = {{8, 4}, {2, 2}, {0, 0}, {4, 2}, {16, 8}, {32, 16}, {3, 2}, {1, 2}};
    for (const auto& c : cases) {
        EXPECT_EQ(game_fbo_samples_for(c.max_samples), c.expected) << c.max_samples;
        kx_gl_caps.max_samples = c.max_samples;
        fbo_width = fbo_height = 7;
        ms_enabled = 1;
        game_fbo_reset_settings();
        EXPECT_EQ(ms_samples, c.expected);
        EXPECT_EQ(fbo_width, 512);
        EXPECT_EQ(fbo_height, 512);
        EXPECT_EQ(fbo_scale, 1);
        EXPECT_EQ(ms_enabled, 0);
    }
}

TEST(KxFboReport, StatusTexts) {
    const struct {
        uint32_t status;
        const char* text;
    } cases[] = {
        {0x8CD5, "Framebuffer complete."},
        {0x8CD6, "[ERROR] Framebuffer incomplete: Attachment is NOT complete."},
        {0x8CD7, "[ERROR] Framebuffer incomplete: No image is attached to FBO."},
        {0x8CD9, "[ERROR] Framebuffer incomplete: Attached images have different dimensions."},
        {0x8CDA, "[ERROR] Framebuffer incomplete: Color attached images have different internal formats."},
        {0x8CDB, "[ERROR] Framebuffer incomplete: Draw buffer."},
        {0x8CDC, "[ERROR] Framebuffer incomplete: Read buffer."},
        {0x8CDD, "[ERROR] Unsupported by FBO implementation."},
        {0x8D56, "ERROR, incomplete multisample"},
        {0x8DA8, "ERROR, incomplete layer targets"},
        {0, "[ERROR] Unknown framebuffer error."},
        {0x8CD8, "[ERROR] Unknown framebuffer error."},
    };
    for (const auto& c : cases) EXPECT_STREQ(kx_fbo_status_text(c.status), c.text) << std::hex << c.status;
}

TEST_F(KxFbo, MainTargetIsCompleteAndSized) {
    kx_fbo_t f{};
    const std::string log = logged([&] { kx_fbo_create(&f, 0, 3, 100, 50); });
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
    EXPECT_EQ(log.find("NTEST"), std::string::npos) << log;
    EXPECT_NE(f.fbo, 0u);
    EXPECT_NE(f.color_tex, 0u);
    EXPECT_NE(f.depth_rb, 0u);
    EXPECT_EQ(f.color_rb, 0u);
    EXPECT_EQ(bound_framebuffer(), 0);
    EXPECT_EQ(tex_size(f.color_tex, GL_TEXTURE_WIDTH), 100);
    EXPECT_EQ(tex_size(f.color_tex, GL_TEXTURE_HEIGHT), 50);
    EXPECT_EQ(rb_param(f.depth_rb, GL_RENDERBUFFER_WIDTH), 100);
    EXPECT_EQ(rb_param(f.depth_rb, GL_RENDERBUFFER_INTERNAL_FORMAT), GL_DEPTH_COMPONENT24);
    glBindFramebuffer(GL_FRAMEBUFFER, f.fbo);
    uint32_t status = 0;
    const std::string report = logged([&] { status = kx_fbo_report(); });
    EXPECT_EQ(status, 0x8CD5u);
    EXPECT_EQ(report, "Framebuffer complete.\n");
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    kx_fbo_destroy(&f, 3);
    EXPECT_FALSE(glIsFramebuffer(f.fbo));
    EXPECT_FALSE(glIsTexture(f.color_tex));
    EXPECT_FALSE(glIsRenderbuffer(f.depth_rb));
}

TEST_F(KxFbo, TargetWithoutAttachmentsIsReportedAndKept) {
    kx_fbo_t f{};
    const std::string log = logged([&] { kx_fbo_create(&f, 0, 0, 32, 32); });
    EXPECT_NE(log.find("[ERROR] Framebuffer incomplete: No image is attached to FBO.\n"), std::string::npos) << log;
    EXPECT_NE(f.fbo, 0u);
    EXPECT_EQ(bound_framebuffer(), 0);
    kx_fbo_destroy(&f, 0);
}

TEST_F(KxFbo, MultisampledRenderbuffersFollowTheDriver) {
    const int samples = game_fbo_samples_for(kx_gl_caps.max_samples);
    kx_fbo_t f{};
    const std::string log = logged([&] { kx_fbo_create(&f, samples, 5, 64, 48); });
    EXPECT_EQ(log.find("ERROR"), std::string::npos) << log;
    EXPECT_EQ(f.color_tex, 0u);
    EXPECT_GE(rb_param(f.color_rb, GL_RENDERBUFFER_SAMPLES), samples);
    EXPECT_EQ(rb_param(f.color_rb, GL_RENDERBUFFER_SAMPLES), rb_param(f.depth_rb, GL_RENDERBUFFER_SAMPLES));
    EXPECT_EQ(rb_param(f.color_rb, GL_RENDERBUFFER_HEIGHT), 48);
    kx_fbo_destroy(&f, 5);

    // A driver without samples gets single-sample storage whatever the caller asks.
    const int real_max = kx_gl_caps.max_samples;
    kx_gl_caps.max_samples = 0;
    kx_fbo_create(&f, 4, 5, 16, 16);
    EXPECT_EQ(rb_param(f.color_rb, GL_RENDERBUFFER_SAMPLES), 0);
    kx_gl_caps.max_samples = real_max;
    kx_fbo_destroy(&f, 5);
}

TEST_F(KxFbo, GameTargetsFollowTheWindowSize) {
    game_fbo_reset_settings();
    kx_app.width = 640;
    kx_app.height = 480;
    game_fbo_init();
    EXPECT_EQ(fbo_width, 640);
    EXPECT_EQ(tex_size(fbo_main.color_tex, GL_TEXTURE_WIDTH), 640);
    EXPECT_EQ(fbo_ms.fbo, 0u) << "no multisampled target while multisampling is off";
    EXPECT_EQ(bound_framebuffer(), 0);

    // A resize stores the size and rebuilds.
    fbo_width = 1024;
    fbo_height = 600;
    const std::string log = logged([] { game_fbo_reconfigure(); });
    EXPECT_TRUE(in_order(log, {"reconfiguring fbo...\n", "destroying fbo (", "fbo scale 1 \n", "kx_fbo_create: "}))
        << log;
    EXPECT_EQ(tex_size(fbo_main.color_tex, GL_TEXTURE_WIDTH), 1024);
    EXPECT_EQ(tex_size(fbo_main.color_tex, GL_TEXTURE_HEIGHT), 600);
    EXPECT_EQ(rb_param(fbo_main.depth_rb, GL_RENDERBUFFER_HEIGHT), 600);

    // Switching multisampling on while running makes fbo_ms at the current size.
    if (ms_samples > 0) {
        ms_enabled = 1;
        const std::string ms_log = logged([] { game_fbo_reconfigure(); });
        EXPECT_NE(ms_log.find("reconfiguring FBO, with multisample (ms_samples = " + std::to_string(ms_samples) +
                              ") \n"),
                  std::string::npos)
            << ms_log;
        EXPECT_NE(fbo_ms.fbo, 0u);
        EXPECT_EQ(rb_param(fbo_ms.color_rb, GL_RENDERBUFFER_WIDTH), 1024);
        EXPECT_EQ(rb_param(fbo_ms.depth_rb, GL_RENDERBUFFER_HEIGHT), 600);
        EXPECT_GE(rb_param(fbo_ms.color_rb, GL_RENDERBUFFER_SAMPLES), ms_samples);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    game_fbo_term();
}

TEST_F(KxFbo, SceneDrawnIntoEitherTargetReachesTheMainTexture) {
    for (int ms : {0, 1}) {
        SCOPED_TRACE(ms);
        game_fbo_reset_settings();
        if (ms && ms_samples == 0) continue;
        ms_enabled = ms;
        kx_app.width = 96;
        kx_app.height = 80;
        game_fbo_init();
        game_fbo_bind_scene();
        GLint vp[4] = {0, 0, 0, 0};
        glGetIntegerv(GL_VIEWPORT, vp);
        EXPECT_EQ(vp[2], 96);
        EXPECT_EQ(vp[3], 80);
        EXPECT_EQ(bound_framebuffer(), static_cast<GLint>(ms ? fbo_ms.fbo : fbo_main.fbo));
        glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
        game_fbo_resolve();
        EXPECT_EQ(bound_framebuffer(), ms ? 0 : static_cast<GLint>(fbo_main.fbo));
        glBindFramebuffer(GL_FRAMEBUFFER, fbo_main.fbo);
        EXPECT_EQ(test_gl_pixel(95, 79), 0x336699FFu);
        EXPECT_EQ(test_gl_pixel(0, 0), 0x336699FFu);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        game_fbo_term();
        fbo_main = kx_fbo_t{};
        fbo_ms = kx_fbo_t{};
    }
}
