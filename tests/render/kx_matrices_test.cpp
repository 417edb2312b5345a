// Current matrices and the rectangle: frustum shapes for landscape, portrait and
// degenerate windows, and rectangles drawn with mirrored corners.
#include <cmath>
#include <string>

#include "engine/app/kx_app.h"
#include "engine/render/kx_gl.h"
#include "engine/render/kx_matrices.h"
#include "engine/render/kx_sh.h"
#include "engine/render/kx_tx.h"
#include "tests/render/render_fixture.h"

TEST(KxMatrices, FrustumIsShapedToTheWindow) {
    const struct {
        int w, h;
        float half_w, half_h;
    } cases[] = {{1280, 720, 1.5f, 0.84375f}, {720, 1280, 0.84375f, 1.5f}, {600, 600, 1.5f, 1.5f},
                 {0, 0, 1.5f, 1.5f},          {0, 600, 1.5f, 1.5f},        {600, 0, 1.5f, 1.5f}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.w) + "x" + std::to_string(c.h));
        kx_app.width = c.w;
        kx_app.height = c.h;
        kx_proj_frustum(1.5f, 0.5f, 800.0f);
        const float* m = kx_matrices.proj.m;
        for (int i = 0; i < 16; ++i) EXPECT_TRUE(std::isfinite(m[i])) << i;
        EXPECT_NEAR(m[0], 1.0f / c.half_w, 1e-5f);
        EXPECT_NEAR(m[5], 1.0f / c.half_h, 1e-5f);
        EXPECT_NEAR(m[10], -800.5f / 799.5f, 1e-6f);
        EXPECT_EQ(m[11], -1.0f);
        EXPECT_NEAR(m[14], -800.0f / 799.5f, 1e-6f);
    }
}

TEST_F(GlTest, MirroredRectanglesStayVisible) {
    kx_sh_init();
    // Left texel red, right texel green: shows which corner got which u.
    const unsigned char texels[6] = {255, 0, 0, 0, 255, 0};
    const uint32_t tex = kx_tx_create(2, 1, 3, 0, 1, texels);
    const struct {
        float x1, y1, x2, y2;
        uint32_t left, right;  // colour at pixel 20 and 43 of row 32
    } cases[] = {
        {0.25f, 0.25f, 0.75f, 0.75f, 0xFF0000FF, 0x00FF00FF},
        {0.75f, 0.25f, 0.25f, 0.75f, 0x00FF00FF, 0xFF0000FF},
        {0.25f, 0.75f, 0.75f, 0.25f, 0xFF0000FF, 0x00FF00FF},
        {0.75f, 0.75f, 0.25f, 0.25f, 0x00FF00FF, 0xFF0000FF},
    };
    glDisable(GL_BLEND);
    kx_sh_use(&kx_sh_default);
    kx_proj_ortho_unit();
    kx_mv_identity();
    kx_matrices_set(&kx_sh_default);
    glUniform1i(kx_sh_default.slot[KX_SH_U_SAMPLER], 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x1 << "," << c.y1 << " - " << c.x2 << "," << c.y2);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        kx_draw_rect(kx_sh_default.slot[KX_SH_A_POS], kx_sh_default.slot[KX_SH_A_UV], c.x1, c.y1, c.x2, c.y2, 0, 0,
                     1, 1, 0, 0, 0);
        EXPECT_EQ(test_gl_pixel(20, 32), c.left);
        EXPECT_EQ(test_gl_pixel(43, 32), c.right);
        EXPECT_EQ(test_gl_pixel(8, 32), 0x000000FFu);
        EXPECT_EQ(test_gl_pixel(32, 56), 0x000000FFu);
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    kx_tx_destroy(tex);
    kx_sh_term();
}
