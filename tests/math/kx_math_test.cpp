#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/math/kx_math.h"

namespace {

void expect_near(const std::vector<float>& got, const std::vector<float>& want, float eps = 1e-5f) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); i++) EXPECT_NEAR(got[i], want[i], eps) << i;
}

TEST(Mat4, OrthoMapsWindowCornersAndDepth) {
    mat4 M;
    kx_mat4_ortho(&M, 0, 800, 0, 600);
    vec3 a = kx_mat4_transform(&M, {0, 0, 0}), b = kx_mat4_transform(&M, {800, 600, 50});
    expect_near({a.x, a.y, b.x, b.y, b.z}, {-1, -1, 1, 1, -0.5f});
}

TEST(Mat4, RotateQuarterTurnAboutZ) {
    mat4 M;
    kx_mat4_identity(&M);
    kx_mat4_rotate(&M, static_cast<float>(M_PI / 2), 0, 0, 1);
    vec3 p = kx_mat4_transform(&M, {1, 0, 0});
    expect_near({p.x, p.y, p.z}, {0, 1, 0}, 1e-6f);
}

TEST(Mat4, TransformsPostMultiplySoLastInCodeActsFirst) {
    mat4 M;
    kx_mat4_identity(&M);
    kx_mat4_translate(&M, 10, 0, 0);
    kx_mat4_scale3(&M, 2, 3, 4);
    kx_mat4_rotate(&M, 0.7f, 0, 1, 0);
    vec3 p = kx_mat4_transform(&M, {1, 1, 0});
    // Scale and rotate leave column 3 alone; y is untouched by the rotation about y, then scaled.
    expect_near({M.m[12], M.m[15], p.y}, {10, 1, 3});
}

TEST(Mat4, FrustumElements) {
    mat4 M;
    kx_mat4_frustum(&M, -1.5f, 1.5f, -0.84375f, 0.84375f, 0.5f, 800);
    expect_near({M.m[0], M.m[11], M.m[15], M.m[14]}, {2 / 3.0f, -1, 1, -2 * 800 * 0.5f / 799.5f}, 1e-6f);
}

TEST(Mat3, NormalMatrixInvertsScaleAndKeepsRotation) {
    mat4 M;
    kx_mat4_identity(&M);
    kx_mat4_scale(&M, 2);
    mat3 N;
    kx_mat3_normal(&N, &M);
    expect_near(std::vector<float>(N.m, N.m + 9), {0.5f, 0, 0, 0, 0.5f, 0, 0, 0, 0.5f}, 1e-7f);
    kx_mat4_identity(&M);
    kx_mat4_rotate(&M, 1.1f, 0, 0, 1);
    kx_mat3_normal(&N, &M);
    const float* m = M.m;
    expect_near(std::vector<float>(N.m, N.m + 9), {m[0], m[1], m[2], m[4], m[5], m[6], m[8], m[9], m[10]}, 1e-6f);
}

TEST(Scalar, ClampApproachAndIntegerHelpers) {
    // lo > hi: lo when v < lo, otherwise hi.
    expect_near({kx_clamp(5, 0, 3), kx_clamp(-1, 0, 3), kx_clamp(-1, 3, 0), kx_clamp(5, 3, 0), kx_approach(0, 10, 0),
                 kx_approach(0, 10, 50)},
                {3, 0, 3, 0, 0, 10});
    EXPECT_EQ((std::vector<int>{kx_imax(-3, 2), kx_imin(-3, 2)}), (std::vector<int>{2, -3}));
}

TEST(Vec, LerpAndDistances) {
    vec3 a = kx_vec3(1, 2, 3), b = kx_vec3(3, 2, 1);
    vec3 m = kx_vec3_lerp(a, b, 0.5f);
    expect_near({m.x, m.z, kx_vec3_dist2(a, b), kx_vec3_length(kx_vec3(3, 4, 0)), kx_vec2_length2(kx_vec2(3, 4))},
                {2, 2, 8, 5, 25});
}

}  // namespace
