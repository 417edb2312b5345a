#version 110
// GUI quads. a_pos = (x, y, mode, 1): mode 1 is a plain panel, 0 a textured
// quad; a_uv = (u, v, highlight, extra): highlight 1 on the hovered item,
// extra 1 on segment and tab marks. u_pos_modif = (dx, dy, scale, alpha) of the
// enclosing container.
uniform mat4 u_proj;
uniform mat4 u_modelview;
uniform vec4 u_pos_modif;
attribute vec4 a_pos;
attribute vec4 a_uv;
varying vec4 v_uv;
varying float v_mode;

void main() {
    v_uv = a_uv;
    v_mode = a_pos.z;
    vec4 p = vec4(a_pos.xy * u_pos_modif.z + u_pos_modif.xy, 0.0, 1.0);
    gl_Position = u_proj * u_modelview * p;
}
