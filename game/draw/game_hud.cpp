// Frame numbers (see game_hud.h). Depends on kx_math.
#include "game/draw/game_hud.h"

#include <cmath>
#include <cstdlib>

void game_loader_color(int progress, uint16_t time, float out[4]) {
    out[0] = progress / 100.0f;
    out[1] = static_cast<float>(0.1 * std::sin(0.03 * time) + 0.1);
    out[2] = 0.2f;
    out[3] = 1.0f;
}

float game_fov_size(int wide, int respawn_flash, int dead, int timer) {
    float widen = 0;
    if (dead && timer < 250) widen = 1.6f * std::pow(1.0f - timer / 250.0f, 4.0f);
    const float base = wide ? 1.8f : 1.5f;
    return base + std::pow(respawn_flash * 1.1f / 30.0f, 4.0f) + widen;
}

vec3 game_weapon_pose(int weapon, int cooldown, int switch_timer, float walked) {
    const float c = static_cast<float>(cooldown);
    const float w = 1.3f * walked;
    const float r = weapon == 1 ? (0.07f * c) * (0.07f * c) : c * c * c * 0.0000047520f;
    const float sw = 0.02f * switch_timer;
    const float bob = std::fabs(0.03f * std::cos(w));
    const float x = (weapon == 1 ? 0.35f : 0.65f) + 0.01f * r + 0.07f * std::sin(w);
    const float y = (weapon == 1 ? -0.25f : -0.56f) - sw * sw - bob;
    return kx_vec3(x, y, 0.3f - 0.2f * (1.0f - r));
}

void game_compose_color(int respawn_flash, int hit_flash, int dead, int timer, float out[4]) {
    float f = respawn_flash * 3.1f / 30.0f;
    if (dead && timer <= 82) f = 1.6f * (1.0f - timer / 83.0f);
    out[0] = 1.0f + f + 0.08f * hit_flash;
    out[1] = 1.0f + f;
    out[2] = 1.0f + f;
    out[3] = 1.0f;
}

game_rect_uv_t game_crosshair_rect(int weapon, float aspect) {
    const float h = weapon == 1 ? 0.04f : 0.06f;
    const float hw = h / (aspect > 0 ? aspect : 1.0f);
    const float u = weapon == 1 ? 0.125f : 0.0f;
    return game_rect_uv_t{0.5f - hw, 0.5f - h, 0.5f + hw, 0.5f + h, u, 0.5f, u + 0.125f, 0.375f};
}

int game_hud_unit(int width) { return width / 720 + 1; }

float game_hud_hp(int dead, int health) { return dead ? 0.0f : 0.05f + 0.9f * health / 60.0f; }

int game_hud_pieces(const game_hud_state_t* s, game_rect_uv_t* out, int max) {
    int n = 0;
    auto add = [&](float x1, float y1, float x2, float y2, float u1, float v1, float u2, float v2) {
        if (n < max) out[n++] = game_rect_uv_t{x1, y1, x2, y2, u1, v1, u2, v2};
    };
    const float u = static_cast<float>(game_hud_unit(s->width));
    const float W = static_cast<float>(s->width), H = static_cast<float>(s->height);
    if (!s->dead) {
        const float a = s->weapon == 1 ? 0.0f : 0.25f;
        add(16 * u, H - 48 * u, 80 * u, H - 16 * u, a, 0.875f, a + 0.25f, 1.0f);
        const float b = s->weapon == 1 ? 0.25f : 0.0f;
        add(80 * u, H - 48 * u, 144 * u, H - 16 * u, b, 0.75f, b + 0.25f, 0.875f);
        if (s->weapon == 1)
            for (int i = 0; i < s->ammo; i++)
                add((30 + 2 * i) * u, H - 30 * u, (31 + 2 * i) * u, H - 24 * u, 0.125f, 0.689453f, 0.125f, 0.689453f);
    }
    const float hp = game_hud_hp(s->dead, s->health);
    const float k = (s->dead || hp < 0.51f) ? 0.125f : 0.0f;
    // Low health blinks with a 256 ms period.
    if (hp > 0.39f || !(s->time & 0x80))
        add(W - 56 * u, H - (16 + 40 * hp) * u, W - 16 * u, H - 16 * u, k + 0.5f, 0.875f + 0.125f * (1 - hp),
            k + 0.625f, 1.0f);
    add(W - 56 * u, H - 56 * u, W - 16 * u, H - 16 * u, 0.5f, 0.75f, 0.625f, 0.875f);
    if (!s->multiplayer) {
        for (int i = 0; i < s->lives; i++)
            add(W - (72 + 9 * i) * u, H - 24 * u, W - (64 + 9 * i) * u, H - 16 * u, 0.625f, 0.75f, 0.75f, 0.875f);
        if (s->bots_alive != 0)
            for (int i = 0; i < s->remaining; i++)
                add(W - (72 + 9 * i) * u, H - 32 * u, W - (64 + 9 * i) * u, H - 24 * u, 0.75f, 0.75f, 0.875f,
                    0.875f);
    }
    return n;
}
