#version 110
// Lit models (level, hills, players, first-person guns). The sun is fixed in
// world space and brought into eye space by the view matrix the game passes as
// u_modelview_light; normals go through u_normal_matrix. Keep kSun in step
// with sky.sun_azimuth_deg / sky.sun_elevation_deg in params/textures.txt, so
// the lit sides face the sun painted in the sky.
uniform mat4 u_proj;
uniform mat4 u_modelview;
uniform mat4 u_modelview_light;
uniform mat3 u_normal_matrix;
attribute vec4 a_pos;
attribute vec2 a_uv;
attribute vec3 a_norm;
varying vec2 v_uv;
varying vec3 v_normal;
varying vec3 v_sun;
varying vec3 v_up;

const vec3 kSun = vec3(-0.31, 0.62, 0.72);

void main() {
    v_uv = a_uv;
    v_normal = u_normal_matrix * a_norm;
    v_sun = (u_modelview_light * vec4(kSun, 0.0)).xyz;
    v_up = (u_modelview_light * vec4(0.0, 0.0, 1.0, 0.0)).xyz;
    gl_Position = u_proj * u_modelview * a_pos;
}
