// Builders of the small models from boxes, tubes and ellipsoids, and of the
// hill ring as a polar height field. Depends on ag_mesh, ag_params, ag_noise.
#include "tools/assetgen/ag_models.h"

#include <cmath>
#include <string>

#include "tools/assetgen/ag_noise.h"

static constexpr float kPi = 3.14159265358979f;

// A tube along -y (forward for the figure) starting at `from`.
static void forward_tube(ag_mesh_t* m, vec3 from, float radius, float length, const ag_region_t& r) {
    ag_mesh_t part;
    ag_mesh_cylinder(&part, {0, 0, 0}, radius, length, 10, r);
    mat4 M = ag_translation(from.x, from.y, from.z);
    kx_mat4_rotate(&M, 1.5707963f, 1, 0, 0);  // +z turns into -y
    ag_mesh_transform(&part, M);
    ag_mesh_append(m, part);
}

ag_mesh_t ag_model_testplayer(const ag_params_t& p) {
    // Built in world units for a 1.2-unit figure facing -y, then sized and divided
    // by the draw scale.
    const float k = ag_param(p, "player.height") / 1.2f;
    ag_mesh_t m;
    const ag_region_t suit = AG_T2_SUIT, metal = AG_T2_METAL;
    for (float side : {-1.0f, 1.0f}) {
        const float x = 0.09f * side;
        ag_mesh_box(&m, {x - 0.075f, -0.11f, 0}, {x + 0.075f, 0.08f, 0.08f}, metal);       // boot
        ag_mesh_cone(&m, {x, 0, 0.07f}, 0.06f, 0.085f, 0.46f, 10, suit);                   // leg
        ag_mesh_sphere(&m, {x, -0.02f, 0.3f}, {0.07f, 0.06f, 0.06f}, 8, 6, metal);         // knee pad
        ag_mesh_sphere(&m, {0.25f * side, 0, 0.86f}, {0.1f, 0.1f, 0.075f}, 10, 6, metal);  // shoulder
        ag_mesh_cylinder(&m, {0.25f * side, 0, 0.62f}, 0.05f, 0.24f, 10, suit);            // upper arm
        forward_tube(&m, {0.21f * side, 0.0f, 0.64f}, 0.045f, 0.3f, suit);                 // forearm
    }
    ag_mesh_box(&m, {-0.17f, -0.09f, 0.5f}, {0.17f, 0.09f, 0.62f}, metal);    // hips
    ag_mesh_box(&m, {-0.2f, -0.1f, 0.6f}, {0.2f, 0.11f, 0.9f}, suit);         // torso
    ag_mesh_box(&m, {-0.15f, -0.13f, 0.64f}, {0.15f, -0.09f, 0.86f}, metal);  // chest plate
    ag_mesh_box(&m, {-0.13f, 0.1f, 0.58f}, {0.13f, 0.21f, 0.86f}, metal);     // back pack
    ag_mesh_box(&m, {-0.2f, -0.34f, 0.6f}, {0.2f, -0.28f, 0.68f}, metal);     // hands on the grip
    ag_mesh_box(&m, {-0.05f, -0.5f, 0.61f}, {0.05f, -0.08f, 0.73f}, metal);   // rifle body
    forward_tube(&m, {0, -0.5f, 0.68f}, 0.022f, 0.15f, metal);                // rifle barrel
    ag_mesh_cylinder(&m, {0, 0, 0.88f}, 0.06f, 0.08f, 8, suit);               // neck
    ag_mesh_sphere(&m, {0, 0, 1.04f}, {0.13f, 0.14f, 0.15f}, 14, 10, AG_T2_HELMET);
    // Visor on the face side (-y), so the figure's heading reads from afar.
    ag_mesh_box(&m, {-0.1f, -0.15f, 1.0f}, {0.1f, -0.1f, 1.08f}, {0.55f, 0.22f, 0.95f, 0.28f});
    mat4 S;
    kx_mat4_identity(&S);
    kx_mat4_scale(&S, k / ag_param(p, "player.draw_scale"));
    ag_mesh_transform(&m, S);
    return m;
}

// Guns are modelled along -z: the rear (receiver) at z0, the muzzle at z0 - L,
// their axis at (ax, ay); see ag_models.h and the gun rows of params/models.txt.
namespace {
struct gun_t {
    float ax, ay, z0, L;
    ag_mesh_t m;
    // A box offset from the axis in x and y, spanning za..zb along it.
    void box(float x0, float y0, float za, float x1, float y1, float zb, const ag_region_t& r) {
        ag_mesh_box(&m, {ax + x0, ay + y0, za}, {ax + x1, ay + y1, zb}, r);
    }
};
gun_t gun(const ag_params_t& p, const std::string& name) {
    return {ag_param(p, name + ".axis_x"),
            ag_param(p, name + ".axis_y"),
            ag_param(p, name + ".rear_z"),
            ag_param(p, name + ".length"),
            {}};
}
}  // namespace

ag_mesh_t ag_model_gun1(const ag_params_t& p) {
    gun_t g = gun(p, "gun1");
    const float ax = g.ax, ay = g.ay, z0 = g.z0, L = g.L;
    const ag_region_t metal = AG_CRYSTAL_CAP, dark = AG_CRYSTAL_WALL, band = AG_CRYSTAL_RED;
    g.box(-0.045f, -0.12f, z0, 0.045f, -0.02f, z0 + 0.15f, dark);                  // stock
    g.box(-0.06f, -0.06f, z0 - 0.3f * L, 0.06f, 0.05f, z0, metal);                 // receiver
    g.box(-0.065f, -0.02f, z0 - 0.2f * L, 0.065f, 0.02f, z0 - 0.05f, band);        // red band
    g.box(-0.012f, 0.05f, z0 - 0.3f * L, 0.012f, 0.065f, z0 - 0.05f, dark);        // rib sight
    g.box(-0.05f, -0.05f, z0 - 0.7f * L, 0.05f, -0.005f, z0 - 0.45f * L, dark);    // pump
    g.box(-0.06f, -0.015f, z0 - L - 0.01f, 0.06f, 0.045f, z0 - L + 0.04f, metal);  // muzzle band
    // Two barrels side by side.
    ag_mesh_cylinder(&g.m, {ax - 0.027f, ay + 0.015f, z0 - L}, 0.025f, 0.8f * L, 12, metal);
    ag_mesh_cylinder(&g.m, {ax + 0.027f, ay + 0.015f, z0 - L}, 0.025f, 0.8f * L, 12, metal);
    return g.m;
}

ag_mesh_t ag_model_macgun1(const ag_params_t& p) {
    gun_t g = gun(p, "macgun1");
    const float ax = g.ax, ay = g.ay, z0 = g.z0, L = g.L;
    const ag_region_t metal = AG_CRYSTAL_CAP, dark = AG_CRYSTAL_WALL, cell = AG_CRYSTAL_HAZARD;
    g.box(-0.035f, -0.07f, z0, 0.035f, 0.02f, z0 + 0.2f, dark);                     // stock
    g.box(-0.05f, -0.055f, z0 - 0.35f * L, 0.05f, 0.045f, z0, metal);               // receiver
    g.box(-0.035f, -0.16f, z0 - 0.28f * L, 0.035f, -0.055f, z0 - 0.1f * L, cell);   // glowing magazine
    g.box(-0.03f, -0.13f, z0 - 0.05f, 0.03f, -0.055f, z0 + 0.05f, dark);            // grip
    g.box(-0.01f, 0.045f, z0 - 0.2f * L, 0.01f, 0.08f, z0 - 0.05f, dark);           // sight
    ag_mesh_cylinder(&g.m, {ax, ay, z0 - 0.85f * L}, 0.035f, 0.55f * L, 12, dark);  // shroud
    ag_mesh_cylinder(&g.m, {ax, ay, z0 - L}, 0.016f, 0.7f * L, 10, metal);          // barrel
    for (int i = 0; i < 3; i++)  // cooling rings on the shroud
        ag_mesh_cylinder(&g.m, {ax, ay, z0 - (0.4f + 0.13f * i) * L}, 0.04f, 0.02f, 12, metal);
    return g.m;
}

ag_mesh_t ag_model_minisphere(const ag_params_t& p) {
    ag_mesh_t m;
    const float r = ag_param(p, "minisphere.radius");
    ag_mesh_sphere(&m, {0, 0, 0}, {r, r, r}, 16, 10, AG_CRYSTAL_PLAIN);
    return m;
}

ag_mesh_t ag_model_laserbullet(const ag_params_t& p) {
    ag_mesh_t m;
    const float len = ag_param(p, "laserbullet.length"), r = ag_param(p, "laserbullet.radius");
    // The white texture colours the whole bolt; coordinates stay in its middle.
    ag_mesh_sphere(&m, {-len * 0.2f, 0, 0}, {len * 0.5f, r, r}, 12, 8, {0.25f, 0.25f, 0.75f, 0.75f});
    return m;
}

ag_mesh_t ag_model_redcross(const ag_params_t& p) {
    ag_mesh_t m;
    const float s = ag_param(p, "redcross.size") / ag_param(p, "redcross.draw_scale");  // full height
    const float arm = s / 6, depth = s / 10;
    ag_mesh_box(&m, {-arm, -depth, -s / 2}, {arm, depth, s / 2}, AG_CRYSTAL_RED);
    ag_mesh_box(&m, {-s / 2, -depth, -arm}, {-arm, depth, arm}, AG_CRYSTAL_RED);
    ag_mesh_box(&m, {arm, -depth, -arm}, {s / 2, depth, arm}, AG_CRYSTAL_RED);
    return m;
}

// ---- hills ----

static float hill_height(const ag_params_t& p, float r, float a) {
    const float r0 = ag_param(p, "hills.inner_radius"), r1 = ag_param(p, "hills.outer_radius");
    const float top = ag_param(p, "hills.height");
    if (r >= r1) return -1.0f;
    // Up from the inner foot, and down again to a skirt at the outer edge.
    const float rise =
        ag_smoothstep(r0, r0 + ag_param(p, "hills.rise"), r) * (1.0f - ag_smoothstep(r1 - 25.0f, r1, r));
    // Noise on the ring's circle (x, y of the angle) so it closes without a seam.
    const float ca = std::cos(a), sa = std::sin(a);
    const float n = ag_fbm3(ca * 2.2f, sa * 2.2f, r * 0.02f, 5, 0.5f, 201);
    const float peaks = ag_fbm3(ca * 6.0f, sa * 6.0f, r * 0.05f, 3, 0.5f, 202);
    return -0.5f + rise * top * (0.35f + 1.1f * n * n + 0.35f * peaks);
}

ag_mesh_t ag_model_mountains(const ag_params_t& p) {
    const int segs = static_cast<int>(ag_param(p, "hills.segments"));
    const int rings = static_cast<int>(ag_param(p, "hills.rings"));
    const float r0 = ag_param(p, "hills.inner_radius"), r1 = ag_param(p, "hills.outer_radius");
    const float tile = ag_param(p, "hills.texture_tile");
    const float scale = ag_param(p, "hills.draw_scale");
    auto ring_r = [&](int j) { return r0 + (r1 - r0) * j / rings; };
    auto pos = [&](int i, int j) {
        const float a = 2 * kPi * i / segs, r = ring_r(j);
        return vec3{r * std::cos(a), r * std::sin(a), hill_height(p, r, a)};
    };
    auto normal = [&](int i, int j) {
        const float a = 2 * kPi * i / segs, r = ring_r(j), e = 0.5f;
        const float x = r * std::cos(a), y = r * std::sin(a);
        auto h = [&](float px, float py) {
            return hill_height(p, std::sqrt(px * px + py * py), std::atan2(py, px));
        };
        const float dx = (h(x + e, y) - h(x - e, y)) / (2 * e), dy = (h(x, y + e) - h(x, y - e)) / (2 * e);
        const float l = std::sqrt(dx * dx + dy * dy + 1);
        return vec3{-dx / l, -dy / l, 1 / l};
    };
    ag_mesh_t m;
    for (int j = 0; j < rings; j++) {
        for (int i = 0; i < segs; i++) {
            const vec3 q[4] = {pos(i, j), pos(i + 1, j), pos(i + 1, j + 1), pos(i, j + 1)};
            const vec3 n[4] = {normal(i, j), normal(i + 1, j), normal(i + 1, j + 1), normal(i, j + 1)};
            // Counter-clockwise seen from above: angle grows to the left of the outward direction.
            const int order[6] = {0, 2, 1, 0, 3, 2};
            for (int k : order) {
                const vec3 w = q[k];
                m.verts.push_back({kx_vec3_scale(w, 1.0f / scale), n[k], w.x / tile, w.y / tile});
            }
        }
    }
    return m;
}
