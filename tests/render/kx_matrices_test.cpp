// Current matrices and the rectangle: the frustum for landscape and portrait windows,
// and rectangles drawn with mirrored corners.
#include "engine/render/kx_matrices.h"

#include "engine/app/kx_app.h"
#include "engine/render/kx_gl.h"
#include "engine/render/kx_tx.h"
#include "tests/render/render_fixture.h"

TEST(KxMatrices, FrustumIsShapedToTheWindow) {
    // Window width and height, the frustum's half width and half height: the long side gets the size.
    const float cases[][4] = {{1280, 720, 1.5f, 0.84375f}, {720, 1280, 0.84375f, 1.5f}};
    for (const auto& [w, h, half_w, half_h] : cases) {
        kx_app.width = static_cast<int>(w);
        kx_app.height = static_cast<int>(h);
        kx_proj_frustum(1.5f, 0.5f, 800.0f);
        EXPECT_NEAR(kx_matrices.proj.m[0], 1.0f / half_w, 1e-5f) << w;
        EXPECT_NEAR(kx_matrices.proj.m[5], 1.0f / half_h, 1e-5f) << w;
    }
}

TEST_F(GlTest, MirroredRectanglesStayVisible) {
    kx_sh_init();
    const unsigned char texels[6] = {255, 0, 0, 0, 255, 0};  // left red, right green: which u went where
    const uint32_t tex = kx_tx_create(2, 1, 3, 0, 1, texels);
    const kx_sh_t& sh = kx_sh_default;
    kx_sh_use(&sh);
    kx_proj_ortho_unit();
    kx_mv_identity();
    kx_matrices_set(&sh);
    glUniform1i(sh.slot[KX_SH_U_SAMPLER], 0);
    const float lo = 0.25f, hi = 0.75f,
                cases[][4] = {{lo, lo, hi, hi}, {hi, lo, lo, hi}, {lo, hi, hi, lo}, {hi, hi, lo, lo}};
    for (const auto& [x1, y1, x2, y2] : cases) {
        SCOPED_TRACE(testing::Message() << x1 << "," << y1 << " - " << x2 << "," << y2);
        glClear(GL_COLOR_BUFFER_BIT);
        kx_draw_rect(sh.slot[KX_SH_A_POS], sh.slot[KX_SH_A_UV], x1, y1, x2, y2, 0, 0, 1, 1, 0, 0, 0);
        const uint32_t left = x1 < x2 ? 0xFF0000FF : 0x00FF00FF;
        EXPECT_EQ(test_gl_pixel(20, 32), left);  // inside, left and right of centre
        EXPECT_EQ(test_gl_pixel(43, 32), left ^ 0xFFFF0000);
        EXPECT_EQ(test_gl_pixel(8, 32) | test_gl_pixel(32, 56), 0u);  // outside
    }
    kx_tx_destroy(tex);
    kx_sh_term();
}
