#include <gtest/gtest.h>

#include <cmath>

#include "engine/math/kx_math.h"

namespace {

TEST(Mat4, OrthoMapsWindowCornersAndDepth) {
    mat4 M;
    kx_mat4_ortho(&M, 0, 800, 0, 600);
    vec3 a = kx_mat4_transform(&M, {0, 0, 0});
    vec3 b = kx_mat4_transform(&M, {800, 600, 50});
    EXPECT_FLOAT_EQ(a.x, -1);
    EXPECT_FLOAT_EQ(a.y, -1);
    EXPECT_FLOAT_EQ(b.x, 1);
    EXPECT_FLOAT_EQ(b.y, 1);
    EXPECT_FLOAT_EQ(b.z, -0.5f);
}

TEST(Mat4, RotateQuarterTurnAboutZ) {
    mat4 M;
    kx_mat4_identity(&M);
    kx_mat4_rotate(&M, static_cast<float>(M_PI / 2), 0, 0, 1);
    vec3 p = kx_mat4_transform(&M, {1, 0, 0});
    EXPECT_NEAR(p.x, 0, 1e-6);
    EXPECT_NEAR(p.y, 1, 1e-6);
    EXPECT_NEAR(p.z, 0, 1e-6);
}

TEST(Mat4, TransformsPostMultiplySoLastInCodeActsFirst) {
    mat4 M;
    kx_mat4_identity(&M);
    kx_mat4_translate(&M, 10, 0, 0);
    kx_mat4_scale3(&M, 2, 3, 4);
    kx_mat4_rotate(&M, 0.7f, 0, 1, 0);
    EXPECT_FLOAT_EQ(M.m[12], 10);  // scale and rotate leave column 3 alone
    EXPECT_FLOAT_EQ(M.m[15], 1);
    vec3 p = kx_mat4_transform(&M, {1, 1, 0});
    EXPECT_NEAR(p.y, 3, 1e-5);  // y untouched by the rotation about y, then scaled
}

TEST(Mat4, FrustumElements) {
    mat4 M;
    kx_mat4_frustum(&M, -1.5f, 1.5f, -0.84375f, 0.84375f, 0.5f, 800);
    EXPECT_FLOAT_EQ(M.m[0], 2 / 3.0f);
    EXPECT_FLOAT_EQ(M.m[11], -1);
    EXPECT_FLOAT_EQ(M.m[15], 1);
    EXPECT_FLOAT_EQ(M.m[14], -2 * 800 * 0.5f / 799.5f);
}

TEST(Mat3, NormalMatrixInvertsScaleAndKeepsRotation) {
    mat4 M;
    kx_mat4_identity(&M);
    kx_mat4_scale(&M, 2);
    mat3 N;
    kx_mat3_normal(&N, &M);
    for (int i = 0; i < 9; ++i) EXPECT_FLOAT_EQ(N.m[i], (i % 4 == 0) ? 0.5f : 0.0f);

    kx_mat4_identity(&M);
    kx_mat4_rotate(&M, 1.1f, 0, 0, 1);
    kx_mat3_normal(&N, &M);
    const int block[9] = {0, 1, 2, 4, 5, 6, 8, 9, 10};
    for (int i = 0; i < 9; ++i) EXPECT_NEAR(N.m[i], M.m[block[i]], 1e-6);
}

TEST(Scalar, ClampApproachAndIntegerHelpers) {
    EXPECT_EQ(kx_clamp(5, 0, 3), 3);
    EXPECT_EQ(kx_clamp(-1, 0, 3), 0);
    EXPECT_EQ(kx_clamp(-1, 3, 0), 3);  // lo > hi: lo when v < lo
    EXPECT_EQ(kx_clamp(5, 3, 0), 0);   // otherwise hi
    EXPECT_EQ(kx_approach(0, 10, 0), 0);
    EXPECT_NEAR(kx_approach(0, 10, 50), 10, 1e-5);
    EXPECT_EQ(kx_imax(-3, 2), 2);
    EXPECT_EQ(kx_imin(-3, 2), -3);
}

TEST(Vec, LerpAndDistances) {
    vec3 a = kx_vec3(1, 2, 3), b = kx_vec3(3, 2, 1);
    vec3 m = kx_vec3_lerp(a, b, 0.5f);
    EXPECT_FLOAT_EQ(m.x, 2);
    EXPECT_FLOAT_EQ(m.z, 2);
    EXPECT_FLOAT_EQ(kx_vec3_dist2(a, b), 8);
    EXPECT_FLOAT_EQ(kx_vec3_length(kx_vec3(3, 4, 0)), 5);
    EXPECT_FLOAT_EQ(kx_vec2_length2(kx_vec2(3, 4)), 25);
}

}  // namespace
