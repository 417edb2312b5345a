// Current matrices and the rectangle: every projection and model-view step as a whole
// matrix, and rectangles drawn with mirrored corners.
#include "engine/render/kx_matrices.h"

#include <array>

#include "engine/app/kx_app.h"
#include "engine/render/kx_gl.h"
#include "engine/render/kx_tx.h"
#include "tests/render/render_fixture.h"

// Whole matrices (column-major), worked out by hand from the window size and the arguments.
TEST(KxMatrices, ProjectionsAndModelViewSteps) {
    const float f_near = -800.5f / 799.5f, f_far = -800.0f / 799.5f, two_thirds = 2.0f / 3,
                long_side = 2 / 1.6875f;
    struct {
        const char* name;
        int width, height;
        void (*set)();
        std::array<float, 16> want;
    } cases[] = {
        // clang-format off
        // The long side gets the size: half extents 1.5 and 0.84375.
        {"frustum 1280x720", 1280, 720, [] { kx_proj_frustum(1.5f, 0.5f, 800.0f); },
         {two_thirds, 0, 0, 0, 0, long_side, 0, 0, 0, 0, f_near, -1, 0, 0, f_far, 1}},
        {"frustum 720x1280", 720, 1280, [] { kx_proj_frustum(1.5f, 0.5f, 800.0f); },
         {long_side, 0, 0, 0, 0, two_thirds, 0, 0, 0, 0, f_near, -1, 0, 0, f_far, 1}},
        {"frustum of a minimised window", 0, 0, [] { kx_proj_frustum(2.0f, 1.0f, 3.0f); },
         {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, -2, -1, 0, 0, -3, 1}},
        {"frustum of a window without height", 100, 0, [] { kx_proj_frustum(2.0f, 1.0f, 3.0f); },
         {0.5f, 0, 0, 0, 0, 0.5f, 0, 0, 0, 0, -2, -1, 0, 0, -3, 1}},
        {"pixels, origin top left", 640, 480, kx_proj_ortho_pixels,
         {2 / 640.0f, 0, 0, 0, 0, -2 / 480.0f, 0, 0, 0, 0, -0.01f, 0, -1, 1, 0, 1}},
        {"unit square", 640, 480, kx_proj_ortho_unit,
         {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, -0.01f, 0, -1, -1, 0, 1}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        kx_app.width = c.width, kx_app.height = c.height;
        c.set();
        for (int i = 0; i < 16; i++) EXPECT_NEAR(kx_matrices.proj.m[i], c.want[i], 1e-6f) << i;
    }
    // Translate, scale, then a quarter turn about z, each applied after what came before.
    kx_mv_identity();
    kx_mv_translate(1, 2, 3);
    kx_mv_scale(2);
    kx_mv_rotate(1.5707963f, 0, 0, 1);
    const float want[16] = {0, 2, 0, 0, -2, 0, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1};
    for (int i = 0; i < 16; i++) EXPECT_NEAR(kx_matrices.modelview.m[i], want[i], 1e-6f) << i;
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
