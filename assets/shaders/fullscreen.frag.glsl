#version 110
// u_color multiplies the picture: values above 1 are the hit and respawn flashes.
uniform sampler2D u_sampler;
uniform vec4 u_color;
varying vec2 v_uv;

void main() {
    gl_FragColor = texture2D(u_sampler, v_uv) * u_color;
}
