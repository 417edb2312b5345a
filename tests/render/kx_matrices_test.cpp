// Current matrices and the rectangle: frustum shapes for landscape, portrait and
// windows without area, and rectangles drawn with mirrored corners.
#include "engine/render/kx_matrices.h"

#include <cmath>

#include "engine/app/kx_app.h"
#include "engine/render/kx_gl.h"
#include "engine/render/kx_tx.h"
#include "tests/render/render_fixture.h"

TEST(KxMatrices, FrustumIsShapedToTheWindow) {
    const float cases[][4] = {{1280, 720, 1.5f, 0.84375f}, {720, 1280, 0.84375f, 1.5f},
                              {600, 600, 1.5f, 1.5f},      {0, 0, 1.5f, 1.5f},
                              {0, 600, 1.5f, 1.5f},        {600, 0, 1.5f, 1.5f}};
    for (const auto& [w, h, half_w, half_h] : cases) {
        SCOPED_TRACE(testing::Message() << w << "x" << h);
        kx_app.width = static_cast<int>(w);
        kx_app.height = static_cast<int>(h);
        kx_proj_frustum(1.5f, 0.5f, 800.0f);
        const float* m = kx_matrices.proj.m;
        for (int i = 0; i < 16; ++i) EXPECT_TRUE(std::isfinite(m[i])) << i;
        EXPECT_NEAR(m[0], 1.0f / half_w, 1e-5f);
        EXPECT_NEAR(m[5], 1.0f / half_h, 1e-5f);
        EXPECT_NEAR(m[10], -800.5f / 799.5f, 1e-6f);
        EXPECT_NEAR(m[14], -800.0f / 799.5f, 1e-6f);
    }
}

TEST_F(GlTest, MirroredRectanglesStayVisible) {
    kx_sh_init();
    // Left texel red, right texel green: shows which corner got which u.
    const unsigned char texels[6] = {255, 0, 0, 0, 255, 0};
    const uint32_t tex = kx_tx_create(2, 1, 3, 0, 1, texels);
    kx_sh_use(&kx_sh_default);
    kx_proj_ortho_unit();
    kx_mv_identity();
    kx_matrices_set(&kx_sh_default);
    glUniform1i(kx_sh_default.slot[KX_SH_U_SAMPLER], 0);
    const float lo = 0.25f, hi = 0.75f,
                cases[][4] = {{lo, lo, hi, hi}, {hi, lo, lo, hi}, {lo, hi, hi, lo}, {hi, hi, lo, lo}};
    for (const auto& [x1, y1, x2, y2] : cases) {
        SCOPED_TRACE(testing::Message() << x1 << "," << y1 << " - " << x2 << "," << y2);
        glClearColor(0, 0, 0, 1);
        glClear(GL_COLOR_BUFFER_BIT);
        kx_draw_rect(kx_sh_default.slot[KX_SH_A_POS], kx_sh_default.slot[KX_SH_A_UV], x1, y1, x2, y2, 0, 0, 1,
                     1, 0, 0, 0);
        const uint32_t red = 0xFF0000FF, green = 0x00FF00FF, black = 0x000000FF;
        EXPECT_EQ(test_gl_pixel(20, 32), x1 < x2 ? red : green);  // inside, left of centre
        EXPECT_EQ(test_gl_pixel(43, 32), x1 < x2 ? green : red);
        EXPECT_EQ(test_gl_pixel(8, 32), black);  // outside
        EXPECT_EQ(test_gl_pixel(32, 56), black);
    }
    kx_tx_destroy(tex);
    kx_sh_term();
}
