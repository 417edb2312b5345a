#version 110
// Text meshes: glyph quads in pixels around an anchor.
// u_pos_modif = (anchor x, anchor y, scale, alpha).
uniform mat4 u_proj;
uniform mat4 u_modelview;
uniform vec4 u_pos_modif;
attribute vec4 a_pos;
attribute vec2 a_uv;
varying vec2 v_uv;

void main() {
    v_uv = a_uv;
    vec4 p = vec4(u_pos_modif.xy + a_pos.xy * u_pos_modif.z, 0.0, 1.0);
    gl_Position = u_proj * u_modelview * p;
}
