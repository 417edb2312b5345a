#version 110
// Unlit models: bullets, effects, health kits, waypoints.
uniform mat4 u_proj;
uniform mat4 u_modelview;
attribute vec4 a_pos;
attribute vec2 a_uv;
varying vec2 v_uv;

void main() {
    v_uv = a_uv;
    gl_Position = u_proj * u_modelview * a_pos;
}
