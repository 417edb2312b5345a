// Input side of the controls (see game_input.h).
// Depends on game_world, game_hooks, game_weapon, kx_log.
#include "game/sim/game_input.h"

#include <cmath>

#include "engine/app/kx_log.h"
#include "game/sim/game_hooks.h"
#include "game/sim/game_weapon.h"
#include "game/sim/game_world.h"

namespace {
int held(int k) { return game_hooks.key_held(k) ? 1 : 0; }
int held2(int a, int b) { return held(a) || held(b) ? 1 : 0; }
constexpr float PI_F = static_cast<float>(M_PI);
constexpr float TWO_PI_F = static_cast<float>(2 * M_PI);
}  // namespace

void game_input_move(int chat_open, int* s, int* f) {
    *s = *f = 0;
    if (game_world.free_camera || chat_open) return;
    *s = held2(GAME_KEY_D, GAME_KEY_RIGHT) - held2(GAME_KEY_A, GAME_KEY_LEFT);
    *f = held2(GAME_KEY_W, GAME_KEY_UP) - held2(GAME_KEY_S, GAME_KEY_DOWN);
}

void game_mouse_look(float dx, float dy, float sens) {
    float k = static_cast<float>(static_cast<double>(sens) * 0.003 + 0.0005);
    const float v = game_world.mouse_invert ? -1.0f : 1.0f;
    if (game_world.free_camera) {
        vec3& r = game_world.camera_rot;
        r.x = kx_clamp(r.x + dy * k * v, 0.0f, PI_F);
        r.y -= dx * k;
        return;
    }
    game_obj_t* p = game_world.player;
    if (!p) return;
    if (p->dead) k = 0;
    p->rot.x = kx_clamp(p->rot.x + dy * k * v, 0.0f, PI_F);
    p->rot.y -= dx * k;
    if (p->rot.y > TWO_PI_F) p->rot.y -= TWO_PI_F;
    if (p->rot.y < -TWO_PI_F) p->rot.y += TWO_PI_F;
}

void game_free_camera_step() {
    float p = held(GAME_KEY_SHIFT_L) ? 0.2835f : 0.05f;
    if (held(GAME_KEY_SHIFT_R)) p *= 0.3f;
    vec3& c = game_world.camera_pos;
    vec3& r = game_world.camera_rot;
    const float yaw = r.y;
    const int side = held(GAME_KEY_D) - held(GAME_KEY_A);
    const int fwd = held(GAME_KEY_W) - held(GAME_KEY_S);
    c.x += side * p * std::cos(yaw) - fwd * p * std::sin(yaw);
    c.y += side * p * std::sin(yaw) + fwd * p * std::cos(yaw);
    c.z += (held(GAME_KEY_SPACE) - held(GAME_KEY_CTRL_L)) * p;
    r.x += (held(GAME_KEY_I) - held(GAME_KEY_K)) * 0.0075f;
    r.y += (held(GAME_KEY_J) - held(GAME_KEY_L)) * 0.0075f;
}

void game_input_pointer_down() {
    if (!game_world.player || game_world.game_mode != 3) return;
    game_world.player->trigger_held = 1;
    game_world.player->fire = 1;
}

void game_input_pointer_up() {
    if (game_world.player) game_world.player->trigger_held = 0;
}

void game_input_weapon_key(int action) {
    const game_obj_t* p = game_world.player;
    if (!p || !game_world.objects.items) return;
    switch (action) {
        case GAME_WKEY_MACHINE_GUN:
            game_select_weapon(0, 1);
            break;
        case GAME_WKEY_SPREAD_GUN:
            game_select_weapon(0, 0);
            break;
        case GAME_WKEY_OTHER:
            game_select_weapon(0, 1 - p->weapon);
            break;
        case GAME_WKEY_RELOAD:
            if (p->weapon == 1) game_select_weapon(0, 1);
            break;
        default:
            break;
    }
}

int game_toggle_ai_shooting() { return game_world.ai_shooting_disabled = !game_world.ai_shooting_disabled; }

int game_toggle_multiplayer() { return game_world.multiplayer = !game_world.multiplayer; }

int game_toggle_free_camera() {
    game_world.free_camera = !game_world.free_camera;
    const vec3 c = game_world.camera_pos, r = game_world.camera_rot;
    kxLog("Camera: %.3f %.3f %.3f | %.3f %.3f %.3f \n", c.x, c.y, c.z, r.x, r.y, r.z);
    return game_world.free_camera;
}

int game_toggle_debug_draw() { return game_world.debug_draw = !game_world.debug_draw; }
