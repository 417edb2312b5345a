// The frame's numbers against values worked out by hand: HUD pieces at 1024 x 600
// (unit 2 px), field of view, weapon pose, compose tint, loading colour, crosshair.
#include "game/draw/game_hud.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

constexpr float EPS = 1e-4f;

void expect_piece(const game_rect_uv_t& got, const game_rect_uv_t& want, int index) {
    const float g[8] = {got.x1, got.y1, got.x2, got.y2, got.u1, got.v1, got.u2, got.v2};
    const float w[8] = {want.x1, want.y1, want.x2, want.y2, want.u1, want.v1, want.u2, want.v2};
    for (int k = 0; k < 8; k++) EXPECT_NEAR(g[k], w[k], EPS) << "piece " << index << " value " << k;
}

std::vector<game_rect_uv_t> pieces(const game_hud_state_t& s) {
    std::vector<game_rect_uv_t> out(GAME_HUD_MAX_PIECES);
    out.resize(game_hud_pieces(&s, out.data(), GAME_HUD_MAX_PIECES));
    return out;
}

const game_hud_state_t kAlive = {.width = 1024, .height = 600, .time = 0, .dead = 0, .health = 60, .lives = 3,
                                 .weapon = 1, .ammo = 3, .multiplayer = 0, .bots_alive = 4, .remaining = 2};

TEST(GameHud, WholeHudOfAHealthyMachineGunner) {
    const std::vector<game_rect_uv_t> want = {
        {32, 504, 160, 568, 0, 0.875f, 0.25f, 1},             // machine gun icon
        {160, 504, 288, 568, 0.25f, 0.75f, 0.5f, 0.875f},     // spread gun, dim
        {60, 540, 62, 552, 0.125f, 0.689453f, 0.125f, 0.689453f},  // three rounds
        {64, 540, 66, 552, 0.125f, 0.689453f, 0.125f, 0.689453f},
        {68, 540, 70, 552, 0.125f, 0.689453f, 0.125f, 0.689453f},
        {912, 492, 992, 568, 0.5f, 0.88125f, 0.625f, 1},      // bar at hp 0.95
        {912, 488, 992, 568, 0.5f, 0.75f, 0.625f, 0.875f},    // frame
        {880, 552, 896, 568, 0.625f, 0.75f, 0.75f, 0.875f},   // three lives, right to left
        {862, 552, 878, 568, 0.625f, 0.75f, 0.75f, 0.875f},
        {844, 552, 860, 568, 0.625f, 0.75f, 0.75f, 0.875f},
        {880, 536, 896, 552, 0.75f, 0.75f, 0.875f, 0.875f},   // two opponents above them
        {862, 536, 878, 552, 0.75f, 0.75f, 0.875f, 0.875f}};
    const std::vector<game_rect_uv_t> got = pieces(kAlive);
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < want.size(); i++) expect_piece(got[i], want[i], static_cast<int>(i));
}

TEST(GameHud, HealthBarColumnAndBlink) {
    // health -> hp; the bar is steady above hp 0.39 and takes the red column below 0.51.
    struct row_t {
        int health, dead;
        uint16_t time;
        int bar_drawn;
        float y1 = 0, v1 = 0, u1 = 0;
    };
    const row_t rows[] = {
        {60, 0, 128, 1, 492, 0.88125f, 0.5f},
        {31, 0, 128, 1, 526.8f, 0.935625f, 0.5f},
        {30, 0, 128, 1, 528, 0.9375f, 0.625f},
        {22, 0, 127, 1, 537.6f, 0.9525f, 0.625f},
        {22, 0, 128, 0},
        {22, 0, 256 + 127, 1, 537.6f, 0.9525f, 0.625f},
        {60, 1, 0, 1, 568, 1.0f, 0.625f},
        {60, 1, 200, 0},
    };
    for (const row_t& r : rows) {
        game_hud_state_t s = kAlive;
        s.health = r.health;
        s.dead = r.dead;
        s.time = r.time;
        // The frame is the first piece with the frame's cell; the bar, when drawn, comes right before it.
        const std::vector<game_rect_uv_t> got = pieces(s);
        size_t frame = 0;
        while (frame < got.size() && !(got[frame].v1 == 0.75f && got[frame].u1 == 0.5f)) frame++;
        ASSERT_LT(frame, got.size());
        const bool drawn = frame > 0 && got[frame - 1].v2 == 1.0f && got[frame - 1].x1 == 912;
        EXPECT_EQ(drawn, r.bar_drawn == 1) << "health " << r.health << " time " << r.time;
        if (!drawn || !r.bar_drawn) continue;
        EXPECT_NEAR(got[frame - 1].y1, r.y1, 1e-3f) << "health " << r.health;
        EXPECT_NEAR(got[frame - 1].v1, r.v1, 1e-5f) << "health " << r.health;
        EXPECT_NEAR(got[frame - 1].u1, r.u1, EPS) << "health " << r.health;
        EXPECT_NEAR(got[frame - 1].u2, r.u1 + 0.125f, EPS);
    }
}

TEST(GameHud, WhatShowsByMode) {
    struct row_t {
        const char* what;
        game_hud_state_t s;
        int count;
    };
    game_hud_state_t spread = kAlive, dead = kAlive, multi = kAlive, won = kAlive, wide = kAlive;
    spread.weapon = 0;  // no ammo ticks with the spread gun
    dead.dead = 1;      // no weapon icons; at time 0 the empty bar is drawn with zero height
    multi.multiplayer = 1;
    won.bots_alive = 0;
    wide.width = 1440;
    const row_t rows[] = {
        {"spread gun", spread, 9},  {"dead", dead, 7}, {"multiplayer", multi, 7},
        {"no bots left", won, 10}, {"wide window", wide, 12}};
    for (const row_t& r : rows) EXPECT_EQ(pieces(r.s).size(), static_cast<size_t>(r.count)) << r.what;

    const std::vector<game_rect_uv_t> sp = pieces(spread);
    expect_piece(sp[0], {32, 504, 160, 568, 0.25f, 0.875f, 0.5f, 1}, 0);
    expect_piece(sp[1], {160, 504, 288, 568, 0, 0.75f, 0.25f, 0.875f}, 1);
    // 1440 px: unit 3 (1439 would still give 2).
    expect_piece(pieces(wide)[0], {48, 456, 240, 552, 0, 0.875f, 0.25f, 1}, 0);
    EXPECT_EQ(game_hud_unit(1439), 2);
    EXPECT_EQ(game_hud_unit(720), 2);
    EXPECT_EQ(game_hud_unit(719), 1);
}

TEST(GameHud, FieldOfViewAtItsEdges) {
    struct row_t {
        int wide, flash, dead, timer;
        float size;
    };
    const row_t rows[] = {
        {0, 0, 0, 0, 1.5f},           {1, 0, 0, 0, 1.8f},   {0, 30, 0, 250, 2.9641f},
        {0, 15, 0, 250, 1.59150625f}, {0, 0, 1, 250, 1.5f}, {0, 0, 1, 200, 1.50256f},
        {0, 0, 1, 125, 1.6f},         {1, 0, 1, 0, 3.4f},
    };
    for (const row_t& r : rows)
        EXPECT_NEAR(game_fov_size(r.wide, r.flash, r.dead, r.timer), r.size, 1e-5f)
            << "wide " << r.wide << " flash " << r.flash << " dead " << r.dead << " timer " << r.timer;
}

TEST(GameHud, WeaponPoseRecoilSwitchAndSway) {
    struct row_t {
        int weapon, cooldown, switch_timer;
        float walked;
        vec3 pose;
    };
    const float quarter = static_cast<float>(M_PI / 2 / 1.3);  // 1.3 x walked = pi / 2
    const row_t rows[] = {
        {1, 0, 0, 0, {0.35f, -0.28f, 0.1f}},  {1, 10, 0, 0, {0.3549f, -0.28f, 0.198f}},
        {1, 0, 25, 0, {0.35f, -0.53f, 0.1f}}, {1, 0, 0, quarter, {0.42f, -0.25f, 0.1f}},
        {0, 0, 0, 0, {0.65f, -0.59f, 0.1f}},  {0, 60, 0, 0, {0.6602643f, -0.59f, 0.3052864f}},
    };
    for (const row_t& r : rows) {
        const vec3 p = game_weapon_pose(r.weapon, r.cooldown, r.switch_timer, r.walked);
        SCOPED_TRACE(testing::Message()
                     << "weapon " << r.weapon << " cooldown " << r.cooldown << " switch " << r.switch_timer);
        for (int k = 0; k < 3; k++) EXPECT_NEAR((&p.x)[k], (&r.pose.x)[k], 1e-5f) << k;
    }
}

TEST(GameHud, ComposeTintFlashesAndWhiteOut) {
    struct row_t {
        int flash, hit, dead, timer;
        float r, g;
    };
    const row_t rows[] = {
        {0, 0, 0, 0, 1, 1},       {30, 0, 0, 250, 4.1f, 4.1f}, {0, 10, 0, 250, 1.8f, 1},
        {0, 0, 1, 83, 1, 1},      {30, 0, 1, 83, 4.1f, 4.1f},  {30, 0, 1, 82, 1.0192771f, 1.0192771f},
        {0, 5, 1, 0, 3.0f, 2.6f},
    };
    for (const row_t& r : rows) {
        float c[4];
        game_compose_color(r.flash, r.hit, r.dead, r.timer, c);
        const float want[4] = {r.r, r.g, r.g, 1};
        for (int k = 0; k < 4; k++)
            EXPECT_NEAR(c[k], want[k], 1e-5f)
                << "flash " << r.flash << " hit " << r.hit << " timer " << r.timer;
    }
}

TEST(GameHud, LoadingColourAndCrosshair) {
    float c[4];
    game_loader_color(100, 0, c);
    EXPECT_FLOAT_EQ(c[0], 1.0f);
    EXPECT_FLOAT_EQ(c[1], 0.1f);
    EXPECT_FLOAT_EQ(c[2], 0.2f);
    game_loader_color(50, 52, c);  // sin(1.56) = 0.999942
    EXPECT_FLOAT_EQ(c[0], 0.5f);
    EXPECT_NEAR(c[1], 0.1999942f, 1e-6f);
    game_loader_color(0, 157, c);  // sin(4.71) = -0.999999
    EXPECT_NEAR(c[1], 0.0f, 1e-6f);

    const float aspect = 1024.0f / 600.0f;
    expect_piece(game_crosshair_rect(1, aspect), {0.4765625f, 0.46f, 0.5234375f, 0.54f, 0.125f, 0.5f, 0.25f, 0.375f}, 0);
    expect_piece(game_crosshair_rect(0, aspect), {0.46484375f, 0.44f, 0.53515625f, 0.56f, 0, 0.5f, 0.125f, 0.375f}, 1);
}

}  // namespace
