#version 110
// The texture tinted by u_multiplier, then u_color added (the game passes 0).
uniform sampler2D u_sampler;
uniform vec4 u_multiplier;
uniform vec4 u_color;
varying vec2 v_uv;

void main() {
    gl_FragColor = texture2D(u_sampler, v_uv) * u_multiplier + u_color;
}
